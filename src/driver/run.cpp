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
    const CommandLine command = analyse_arguments(args);
    if (command.settings.quiet) console::silence();
    const bool version = command.error.empty() && command.mode->mode == RunMode::Version;
    // The version stands alone: the banner's own version is not the build's.
    if (!version) console::write(texts::banner());

    if (!command.error.empty()) {
        console::write(texts::error_frame(command.error));
        console::note(command.detail);
        return exit_usage_error;
    }
    if (version) {
        console::write(texts::version());
        return exit_success;
    }
    if (command.mode->mode == RunMode::Help) {
        console::write(texts::help());
        return exit_success;
    }

    try {
        run_mode(*command.mode, command.files, command.settings);
        return exit_success;
    } catch (const Failure& failure) {
        switch (failure.shown()) {
        case Shown::on_stderr: break;
        case Shown::as_error:
            console::line(std::string("ERROR: ") + failure.what());
            console::empty_line();
            break;
        case Shown::in_frame: console::write(texts::error_frame(failure.what())); break;
        }
        console::note(failure.detail());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", texts::allocation_failure.data());
    }
    return exit_failure;
}

}  // namespace voxmill
