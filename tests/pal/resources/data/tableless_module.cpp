// A library without resources of its own that depends on one with a table: a
// lookup of this library must not answer the dependency's table.
#include "pal/resources/module_table.h"

extern "C" __attribute__((visibility("default"))) const void* PalTestDependencyTable()
{
    return PalModuleResources();
}
