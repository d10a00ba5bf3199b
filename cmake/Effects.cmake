# Effects: builds every effect source effects/fx/<number>_<name>.fx with the
# project's own tool (tools/fxtool) into the binary effect
# ${CMAKE_BINARY_DIR}/fx/<number>_<name>.fxo, running the tool's bounds-checked
# reader over each output. The number is the effect's RCDATA number in
# common_res.dll.
#
#   corvalline_build_effects(<out_list_var>)
#     <out_list_var>     the .fxo files (feed them to a target so they get built)
#     <out_list_var>_DOCUMENT  the effects documents carry instead of a resource
#                        number: effects/fx/document/<name>.fx built into
#                        ${CMAKE_BINARY_DIR}/fx/document/<name>.fxo (the scene
#                        composer embeds them)
#
#   corvalline_effect_folder(<source_dir> <out_dir> <out_var>)
#     every <source_dir>/<name>.fx into <out_dir>/<name>.fxo

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

# Every <name>.fx of source_dir into out_dir/<name>.fxo; out_var receives
# the outputs.
function(corvalline_effect_folder source_dir out_dir out_var)
    file(GLOB sources CONFIGURE_DEPENDS ${source_dir}/*.fx)
    file(MAKE_DIRECTORY ${out_dir})
    set(outputs)
    foreach(source ${sources})
        get_filename_component(stem ${source} NAME_WE)
        corvalline_effect_command(${source} ${out_dir}/${stem}.fxo)
        list(APPEND outputs ${out_dir}/${stem}.fxo)
    endforeach()
    set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()

function(corvalline_build_effects out_var)
    if(NOT TARGET Python3::Interpreter)
        find_package(Python3 REQUIRED COMPONENTS Interpreter)
    endif()
    set(fx_dir ${CMAKE_BINARY_DIR}/fx)
    corvalline_effect_folder(${CMAKE_SOURCE_DIR}/effects/fx ${fx_dir} outputs)

    # The effects without a number, from their own folder (a folder's build
    # does not reach into its subfolders).
    corvalline_effect_folder(${CMAKE_SOURCE_DIR}/effects/fx/document ${fx_dir}/document document_outputs)

    set(${out_var} ${outputs} PARENT_SCOPE)
    set(${out_var}_DOCUMENT ${document_outputs} PARENT_SCOPE)
endfunction()
