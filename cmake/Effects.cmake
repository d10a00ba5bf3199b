# Effects: builds every effect source effects/fx/<number>_<name>.fx with the
# project's own tool (tools/fxtool) into the binary effect
# ${CMAKE_BINARY_DIR}/fx/<number>_<name>.fxo, running the tool's bounds-checked
# reader over each output, and writes ${CMAKE_BINARY_DIR}/res/effects.rc with
# one `<number> RCDATA "<path>.fxo"` line per effect for common_res.dll.
#
#   corvalline_build_effects(<out_list_var>)
#     <out_list_var>     the .fxo files (feed them to a target so they get built)
#     <out_list_var>_RC  the generated effects.rc (#include it in the DLL's .rc,
#                        with ${CMAKE_BINARY_DIR}/res on the resource include path)
#     <out_list_var>_DOCUMENT  the effects documents carry instead of a resource
#                        number: effects/fx/document/<name>.fx built into
#                        ${CMAKE_BINARY_DIR}/fx/document/<name>.fxo, left out of
#                        effects.rc (the scene composer embeds them)

# One source into one effect: build it, then run the bounds-checked reader.
function(corvalline_effect_command source output)
    set(tool ${CMAKE_SOURCE_DIR}/tools/fxtool/fxtool.py)
    file(GLOB tool_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fxtool/*.py)
    file(RELATIVE_PATH shown ${CMAKE_BINARY_DIR}/fx ${output})
    add_custom_command(OUTPUT ${output}
        COMMAND Python3::Interpreter ${tool} build ${source} ${output}
        COMMAND Python3::Interpreter ${tool} check ${output}
        DEPENDS ${source} ${tool_sources}
        COMMENT "Building effect ${shown}"
        VERBATIM)
endfunction()

function(corvalline_build_effects out_var)
    if(NOT TARGET Python3::Interpreter)
        find_package(Python3 REQUIRED COMPONENTS Interpreter)
    endif()
    set(tool ${CMAKE_SOURCE_DIR}/tools/fxtool/fxtool.py)
    file(GLOB tool_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fxtool/*.py)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/effects/fx/*.fx)
    set(fx_dir ${CMAKE_BINARY_DIR}/fx)
    set(res_dir ${CMAKE_BINARY_DIR}/res)
    file(MAKE_DIRECTORY ${fx_dir} ${res_dir})

    set(outputs)
    foreach(source ${sources})
        get_filename_component(stem ${source} NAME_WE)
        set(output ${fx_dir}/${stem}.fxo)
        corvalline_effect_command(${source} ${output})
        list(APPEND outputs ${output})
    endforeach()

    # The same build for the effects without a number; the folder is not
    # matched by the glob above, so effects.rc never lists them.
    file(GLOB document_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/effects/fx/document/*.fx)
    file(MAKE_DIRECTORY ${fx_dir}/document)
    set(document_outputs)
    foreach(source ${document_sources})
        get_filename_component(stem ${source} NAME_WE)
        set(output ${fx_dir}/document/${stem}.fxo)
        corvalline_effect_command(${source} ${output})
        list(APPEND document_outputs ${output})
    endforeach()

    set(rc ${res_dir}/effects.rc)
    add_custom_command(OUTPUT ${rc}
        COMMAND Python3::Interpreter ${tool} rc ${CMAKE_SOURCE_DIR}/effects/fx ${rc} ${fx_dir}
        DEPENDS ${sources} ${tool_sources} ${outputs}
        COMMENT "Listing effects in effects.rc"
        VERBATIM)

    set(${out_var} ${outputs} PARENT_SCOPE)
    set(${out_var}_RC ${rc} PARENT_SCOPE)
    set(${out_var}_DOCUMENT ${document_outputs} PARENT_SCOPE)
endfunction()
