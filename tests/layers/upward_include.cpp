// Compiled as a file of a lower layer, with that layer's include roots: the
// header of the layer above it, named by UPWARD_HEADER, must not be found.
// The layer tests expect this build to fail.
#include UPWARD_HEADER
