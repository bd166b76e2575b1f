// kycamera from the command line to the exit code.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

class KyCConsole;
class KyCOptions;

// Parses the options, sets up the camera, obtains the component from the factory for the
// device type VDX, runs the job (demo or shell) and takes everything down again in the order a
// host must: mode none, the component released, the camera last.
class KyCApplication {
public:
    KyCApplication(std::istream& in, std::ostream& out, std::ostream& err, bool bTerminal);

    // The exit code (KyCExitCode.h). vecArgs without the program name.
    int Run(const std::vector<std::string>& vecArgs);

private:
    // The camera, the component and the job, once the options are known.
    int runJob(const KyCOptions& options, KyCConsole& console);

    std::istream& m_In;
    std::ostream& m_Out;
    std::ostream& m_Err;
    const bool m_bTerminal;
};
