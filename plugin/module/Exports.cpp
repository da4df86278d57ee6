// The module's exported entry points.
#include "plugin/codec/NvCodec.h"
