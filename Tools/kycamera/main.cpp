// kycamera: the camera video component's host on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "KyCApplication.h"
#include "KyTerminal.h"

int main(int argc, char** argv) {
    const bool bTerminal =
        KyTerminal::IsTerminal(KyTerminal::eStandardOutput) && KyTerminal::EnableAnsiOutput();
    std::vector<std::string> vecArgs(argv + 1, argv + argc);
    KyCApplication application(std::cin, std::cout, std::cerr, bTerminal);
    return application.Run(vecArgs);
}
