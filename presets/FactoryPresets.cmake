# The factory bank qvDavezoDU.ini, which ships beside the plug-in library and beside the
# renderer. Include this file from any CMakeLists.txt (the order of the folders does not
# matter) and call qv_copy_factory_presets(TARGET) in the folder that defines TARGET: after each
# build of TARGET the bank is copied beside TARGET's file.
include_guard(GLOBAL)

set(QV_FACTORY_PRESETS ${CMAKE_CURRENT_LIST_DIR}/qvDavezoDU.ini
    CACHE INTERNAL "The factory preset file qvDavezoDU.ini")

function(qv_copy_factory_presets target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/qvDavezoDU.ini
            $<TARGET_FILE_DIR:${target}>/qvDavezoDU.ini
        VERBATIM)
endfunction()
