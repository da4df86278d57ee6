# Each layer compiles against an include root of its own, generated in the build tree: a folder
# that holds links to the layers it may use and nothing else, so that a wrong-layer include
# fails to compile. platform/ sees only itself, plugin/ itself and platform/, host/ itself and
# platform/ (it reaches the plug-in only through the module and its COM interfaces). Every
# `#include "layer/..."` line stays as it is. The tests and benchmarks see the whole tree.
#
# qma7_layer_root(LAYER VISIBLE...) sets QMA7_<LAYER>_ROOT to the layer's root.
function(qma7_layer_root layer)
    set(root ${CMAKE_BINARY_DIR}/layers/${layer})
    file(MAKE_DIRECTORY ${root})
    # Only links are removed, never what they point to: a layer taken off the list goes.
    foreach(name platform plugin host)
        if(IS_SYMLINK ${root}/${name})
            file(REMOVE ${root}/${name})
        endif()
    endforeach()
    foreach(visible IN LISTS ARGN)
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${visible} ${root}/${visible} SYMBOLIC)
    endforeach()
    set(QMA7_${layer}_ROOT ${root} PARENT_SCOPE)
endfunction()

qma7_layer_root(platform platform)
qma7_layer_root(plugin plugin platform)
qma7_layer_root(host host platform)
