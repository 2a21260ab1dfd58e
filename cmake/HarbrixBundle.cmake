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
