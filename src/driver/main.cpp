#include <string>
#include <vector>

#include "driver/run.hpp"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return voxmill::run(args);
}
