#include "driver/run.hpp"

#include <cstdio>
#include <new>

#include "driver/console_texts.hpp"
#include "driver/mode_run.hpp"
#include "driver/modes.hpp"
#include "system/failure.hpp"
#include "text/console.hpp"

namespace voxmill {

int run(std::span<const std::string> args)
{
    console::write(texts::banner());

    const CommandLine command = analyse_arguments(args);
    if (command.mode == nullptr) {
        console::write(texts::error_frame(command.error));
        return exit_usage_error;
    }
    if (command.mode->mode == RunMode::Help) {
        console::write(texts::help());
        return exit_success;
    }

    try {
        run_mode(*command.mode, args);
        return exit_success;
    } catch (const Failure& failure) {
        switch (failure.shown()) {
        case Shown::on_stderr: console::note(failure.what()); break;
        case Shown::as_error:
            console::line(std::string("ERROR: ") + failure.what());
            console::empty_line();
            break;
        case Shown::in_frame: console::write(texts::error_frame(failure.what())); break;
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", texts::allocation_failure.data());
    }
    return exit_failure;
}

}  // namespace voxmill
