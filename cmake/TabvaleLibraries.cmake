# Each folder is a library of its own whose headers are included as "folder/Header.h". A library's
# include path holds its own folder only (through a link under a root of its own), so a folder can
# include another folder's headers only when it links that library: an include against the arrows
# between the folders is a build error, and every crossing shows in the CMakeLists.
function(tabvale_folder_headers target folder)
    set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
    set(link ${root}/${folder})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT IS_SYMLINK ${link})
        get_filename_component(target_folder ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../${folder} ABSOLUTE)
        file(CREATE_LINK ${target_folder} ${link} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL INTERFACE_LIBRARY)
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
