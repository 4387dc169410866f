# The layers of the program. Each library folder is declared once, with the folders its code
# may include directly:
#
#     tv_library(<folder> [SEES <folder>...])
#
# A folder sees itself, what it names and, through them, everything those see. A missing
# folder is a configure error. After the last declaration tv_check_layers() scans every
# #include "folder/..." of the declared folders: an include of a folder the layer does not see
# fails the configure step, the build (target tv_layers) and the ctest test layers_check, with
# a message naming both layers.

set_property(GLOBAL PROPERTY TV_LAYERS "")

function(tv_library dir)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SEES")
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        message(FATAL_ERROR "layer ${dir}: the folder ${dir}/ (with its CMakeLists.txt) is missing")
    endif()
    string(MAKE_C_IDENTIFIER "${dir}" key)
    set(sees ${dir})
    foreach(seen IN LISTS arg_SEES)
        string(MAKE_C_IDENTIFIER "${seen}" seenKey)
        get_property(known GLOBAL PROPERTY TV_LAYER_SEES_${seenKey} SET)
        if(NOT known)
            message(FATAL_ERROR "layer ${dir} sees ${seen}, which is not declared before it")
        endif()
        get_property(seenSees GLOBAL PROPERTY TV_LAYER_SEES_${seenKey})
        list(APPEND sees ${seenSees})
    endforeach()
    list(REMOVE_DUPLICATES sees)
    set_property(GLOBAL PROPERTY TV_LAYER_SEES_${key} "${sees}")
    set_property(GLOBAL APPEND PROPERTY TV_LAYERS ${dir})
    add_subdirectory(${dir})
endfunction()

function(tv_check_layers)
    get_property(layers GLOBAL PROPERTY TV_LAYERS)
    set(content "set(TV_LAYERS \"${layers}\")\n")
    foreach(dir IN LISTS layers)
        string(MAKE_C_IDENTIFIER "${dir}" key)
        get_property(sees GLOBAL PROPERTY TV_LAYER_SEES_${key})
        string(APPEND content "set(TV_LAYER_SEES_${key} \"${sees}\")\n")
    endforeach()
    set(layerFile ${CMAKE_BINARY_DIR}/tv_layers.cmake)
    file(WRITE ${layerFile} "${content}")
    set(script ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake)
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                            -DLAYER_FILE=${layerFile} -P ${script}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "The layer check failed (the refused includes are listed above).")
    endif()
    add_custom_target(tv_layers ALL
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DLAYER_FILE=${layerFile}
                -P ${script}
        COMMENT "Checking the includes against the layers" VERBATIM)
    if(TORVANELL_BUILD_TESTS)
        add_test(NAME layers_check
                 COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                         -DLAYER_FILE=${layerFile} -P ${script})
        # The check itself: the main window's header included from a lower layer is refused.
        foreach(low IN ITEMS tags core/audio effects)
            string(MAKE_C_IDENTIFIER "${low}" key)
            add_test(NAME layers_reject_ui_from_${key}
                     COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                             -DLAYER_FILE=${layerFile} -DEXTRA_LAYER=${low}
                             -DEXTRA_FILE=${PROJECT_SOURCE_DIR}/tests/layers/includes-mainwindow.cpp
                             -P ${script})
            set_tests_properties(layers_reject_ui_from_${key} PROPERTIES LABELS layers
                PASS_REGULAR_EXPRESSION "layer ${low} may not include ui/mainwindow.h \\(layer ui\\)")
        endforeach()
        set_tests_properties(layers_check PROPERTIES LABELS layers)
    endif()
endfunction()
