#include "driver/run.hpp"

#include <cstdio>
#include <new>

#include "driver/command_line.hpp"
#include "driver/console_texts.hpp"
#include "driver/mode_run.hpp"
#include "output/console.hpp"
#include "output/failure.hpp"

namespace voxmill {

namespace {

void report_on_stderr(std::string_view message)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace

int run(std::span<const std::string> args)
{
    console::write(texts::banner());

    const CommandLine command = analyse_arguments(args);
    if (!command.mode) {
        console::write(texts::error_frame(command.error));
        return exit_usage_error;
    }
    if (*command.mode == RunMode::Help) {
        console::write(texts::help());
        return exit_success;
    }

    try {
        run_mode(*command.mode, args);
        return exit_success;
    } catch (const Refusal& refusal) {
        console::line(std::string("ERROR: ") + refusal.what());
        console::empty_line();
    } catch (const FramedRefusal& refusal) {
        console::write(texts::error_frame(refusal.what()));
    } catch (const Failure& failure) {
        report_on_stderr(std::string("voxmill: ") + failure.what());
    } catch (const std::bad_alloc&) {
        report_on_stderr(texts::allocation_failure);
    }
    return exit_failure;
}

}  // namespace voxmill
