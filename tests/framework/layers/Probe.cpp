// A source of one layer that names a header of the layer above it; CMakeLists.txt here
// builds it against the lower layer's library alone, and that build must fail.
#include SX_PROBE_HEADER
