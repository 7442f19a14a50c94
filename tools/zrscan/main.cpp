#include "zrscan_run.h"

#include <iostream>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    return zr::tools::ZrScanMain(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
