# Every include of a project header names its folder from the top ("engine/TTable.h"): an include
# through ".." would step around the include paths that enforce the arrows between the folders.
# cmake -DROOT=<source dir> -P CheckIncludePaths.cmake
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/*.h ${ROOT}/*.cpp)
set(bad)
foreach(source IN LISTS sources)
    if(source MATCHES "^(build|\\.git)")
        continue()
    endif()
    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
    foreach(line IN LISTS lines)
        list(APPEND bad "${source}: ${line}")
    endforeach()
endforeach()
if(bad)
    list(JOIN bad "\n" text)
    message(FATAL_ERROR "Includes that step out of their folder:\n${text}")
endif()
