# Lays out build/Harbrix.app the way macOS expects a bundle:
#   Contents/MacOS/Harbrix, Contents/Info.plist, Contents/Resources/...
# Everything under assets/resources/ is copied into Contents/Resources/ on every build.
set(HARBRIX_BUNDLE_RESOURCES ${HARBRIX_BUNDLE}/Contents/Resources)
file(GLOB_RECURSE harbrix_resource_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/resources/*)
add_custom_target(harbrix_bundle_resources ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HARBRIX_BUNDLE_RESOURCES}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/assets/resources ${HARBRIX_BUNDLE_RESOURCES}
    DEPENDS ${harbrix_resource_files}
    COMMENT "Copying resources into Harbrix.app")

# Bundle information, generated from the project version at configure time.
set(HARBRIX_BUNDLE_IDENTIFIER com.qor.wharvel)
set(HARBRIX_BUNDLE_EXECUTABLES ${HARBRIX_BUNDLE}/Contents/MacOS)
configure_file(${PROJECT_SOURCE_DIR}/cmake/Info.plist.in ${HARBRIX_BUNDLE}/Contents/Info.plist @ONLY)

# Linux has no "/usr/bin/hdiutil": the bundle carries a stand-in that attaches compressed tar
# images of Harbrix.app.
if(NOT APPLE)
    add_custom_command(TARGET harbrix_bundle_resources POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${HARBRIX_BUNDLE_RESOURCES}/Scripts
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/linux/hdiutil
                ${HARBRIX_BUNDLE_RESOURCES}/Scripts/hdiutil)
endif()

# The installer program keeps its own bundle inside Harbrix's:
#   Contents/MacOS/Tolvane.app/Contents/MacOS/Tolvane
#   Contents/MacOS/Tolvane.app/Contents/Resources/Scripts/Tolvane.sh
# apps/Tolvane sets its RUNTIME_OUTPUT_DIRECTORY to HARBRIX_TOLVANE_DIR and copies its
# scripts into HARBRIX_TOLVANE_RESOURCES.
set(HARBRIX_TOLVANE_BUNDLE ${HARBRIX_BUNDLE_EXECUTABLES}/Tolvane.app)
set(HARBRIX_TOLVANE_DIR ${HARBRIX_TOLVANE_BUNDLE}/Contents/MacOS)
set(HARBRIX_TOLVANE_RESOURCES ${HARBRIX_TOLVANE_BUNDLE}/Contents/Resources)
