# Compiles a file that includes HEADER with the include path of a library (INCLUDES, joined by
# "|") and checks that it builds exactly when EXPECT is "builds".
# cmake -DCOMPILER=... -DINCLUDES=a|b -DHEADER=engine/TTable.h -DEXPECT=builds|fails -DWORK=dir -P
string(REPLACE "|" ";" include_list "${INCLUDES}")
set(flags -std=c++20 -fPIC -fsyntax-only)
foreach(dir IN LISTS include_list)
    list(APPEND flags -I${dir})
endforeach()
string(MAKE_C_IDENTIFIER "${HEADER}" name)
set(probe ${WORK}/probe_${name}.cpp)
file(WRITE ${probe} "#include \"${HEADER}\"\n")
execute_process(COMMAND ${COMPILER} ${flags} ${probe} RESULT_VARIABLE result
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(EXPECT STREQUAL "builds" AND NOT result EQUAL 0)
    message(FATAL_ERROR "${HEADER} should be usable here but does not compile:\n${err}")
elseif(EXPECT STREQUAL "fails" AND result EQUAL 0)
    message(FATAL_ERROR "${HEADER} compiles where the arrows between the folders forbid it")
endif()
