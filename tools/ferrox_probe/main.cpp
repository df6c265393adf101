// ferrox-probe: the probe worker the program keeps one of per core. It reads requests on
// standard input until it ends (see probe_server.h); with "--serve NAME IDLE_SECONDS" it is the
// user's shared probe server instead, which outlives the program that started it.
#include <string_view>

#include "probe_server.h"
#include "util/numbers.h"

int main(int argc, char** argv) {
    if (argc >= 3 && std::string_view(argv[1]) == "--serve") {
        const int idleSeconds = argc >= 4 ? quillon::util::ReadInteger<int>(argv[3]).value_or(30) : 30;
        return quillon::ferrox::RunSharedProbeServer(argv[2], idleSeconds);
    }
    return quillon::ferrox::RunProbeServer();
}
