// tnews-catalogue: builds, checks and exports the newspaper catalogue (see data/README.md).
#include "catalogue/tool/commands.h"

#include <iostream>

int main(int argc, char** argv)
{
    return tnews::catalogue::RunCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                        std::cerr);
}
