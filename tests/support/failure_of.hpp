#pragma once

#include <string>

#include "system/failure.hpp"

namespace voxmill::testing {

// The message of the Failure that `action` throws, or "no failure".
std::string failure_of(auto&& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "no failure";
}

}  // namespace voxmill::testing
