// ferrox-probe: the probe worker the program keeps one of per core. It reads requests on
// standard input until it ends (see probe_server.h).
#include "probe_server.h"

int main() { return quillon::ferrox::RunProbeServer(); }
