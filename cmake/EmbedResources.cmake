# orvana_embed_resources(<target> MANIFEST <file>)
#
# Compiles a resource manifest (see docs/resources.md) with orvana-rc into a C++
# source that defines the target's resource table, and adds that source to the
# target. The target must link pal. Call it once per module (shared library or
# executable). orvana-rc writes a depfile naming the manifest and every file the
# manifest lists, so a change to any of them regenerates the table.
function(orvana_embed_resources target)
    cmake_parse_arguments(ARG "" "MANIFEST" "" ${ARGN})
    if(NOT ARG_MANIFEST OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvana_embed_resources(<target> MANIFEST <file>)")
    endif()
    get_property(embedded TARGET ${target} PROPERTY ORVANA_RESOURCE_MANIFEST)
    if(embedded)
        message(FATAL_ERROR "${target} already embeds ${embedded}: a module has one resource table")
    endif()
    cmake_path(ABSOLUTE_PATH ARG_MANIFEST BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} OUTPUT_VARIABLE manifest)
    set_property(TARGET ${target} PROPERTY ORVANA_RESOURCE_MANIFEST ${manifest})

    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    set(depfile ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.d)
    add_custom_command(
        OUTPUT ${source}
        COMMAND orvana-rc ${manifest} -o ${source} --depfile ${depfile}
        DEPENDS orvana-rc ${manifest}
        DEPFILE ${depfile}
        COMMENT "Compiling resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${source})
    # The generated table is written in the layer's own resource format.
    set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/src)
    # A program exports its table so that it can be found by its path too.
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
    endif()
endfunction()
