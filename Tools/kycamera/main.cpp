// kycamera: the camera video component's host on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "KyCApplication.h"
#include "KyCommandLine.h"
#include "KyTerminal.h"

int main(int argc, char** argv) {
    const bool bTerminal =
        KyTerminal::IsTerminal(KyTerminal::eStandardOutput) && KyTerminal::EnableAnsiOutput();
    const std::vector<std::string> vecArgs = KyCommandLine::GetArguments(argc, argv);
    KyCApplication application(std::cin, std::cout, std::cerr, bTerminal);
    return application.Run(vecArgs);
}
