#include <string>
#include <vector>

#include "driver/run.hpp"
#include "system/interrupts.hpp"

int main(int argc, char** argv)
{
    voxmill::interrupts::install();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return voxmill::run(args);
}
