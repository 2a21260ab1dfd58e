# Installs Harbrix as a Linux desktop expects it (`cmake --install build`, and the Debian
# package that `make package` builds from the same rules), below the prefix (/usr unless
# given):
#   lib/harbrix/Harbrix.app                 the bundle, one movable folder: Harbrix, harbrixctl
#                                           and Tolvane in Contents/MacOS, its resources
#   bin/harbrix, bin/harbrixctl             relative links into the bundle
#   lib/udev/rules.d/60-harbrix-qor.rules   the pedals' udev rule
#   share/applications, share/metainfo      the launcher and the software centres' record
#   share/icons/hicolor                     the icon, scalable and 256 px
#   share/man/man1, share/bash-completion   manual pages and harbrixctl's completion
#   share/doc/harbrix                       copyright (with the fonts' licence) and changelog
# The bundle finds itself from its executable's real path, so the links in bin work as is.
if(APPLE)
    return()
endif()
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
endif()

set(HARBRIX_APP_ID ${HARBRIX_BUNDLE_IDENTIFIER})
set(linux ${PROJECT_SOURCE_DIR}/packaging/linux)
set(debian ${PROJECT_SOURCE_DIR}/packaging/debian)
set(made ${PROJECT_BINARY_DIR}/desktop)
set(bundle lib/harbrix/Harbrix.app)
file(MAKE_DIRECTORY ${made})

# What the build makes for the desktop: the icon's pixels, the manual pages (harbrixctl's
# lists the commands the built program has) and the compressed changelog.
add_custom_command(OUTPUT ${made}/${HARBRIX_APP_ID}.png
    COMMAND harbrix-iconpng ${PROJECT_SOURCE_DIR}/assets/images/WINDOW_app_icon.svg 256
            ${made}/${HARBRIX_APP_ID}.png
    DEPENDS harbrix-iconpng ${PROJECT_SOURCE_DIR}/assets/images/WINDOW_app_icon.svg
    COMMENT "Drawing the 256 px application icon")
add_custom_command(OUTPUT ${made}/harbrixctl.1.gz
    COMMAND sh ${linux}/make-manpage.sh ${linux}/harbrixctl.1.in ${made}/harbrixctl.1.gz
            ${PROJECT_VERSION} $<TARGET_FILE:harbrixctl>
    DEPENDS harbrixctl ${linux}/harbrixctl.1.in ${linux}/make-manpage.sh
    COMMENT "Making harbrixctl's manual page")
add_custom_command(OUTPUT ${made}/harbrix.1.gz
    COMMAND sh ${linux}/make-manpage.sh ${linux}/harbrix.1 ${made}/harbrix.1.gz ${PROJECT_VERSION}
    DEPENDS ${linux}/harbrix.1 ${linux}/make-manpage.sh
    COMMENT "Making Harbrix's manual page")
add_custom_command(OUTPUT ${made}/changelog.gz
    COMMAND gzip -9nc ${debian}/changelog > ${made}/changelog.gz
    DEPENDS ${debian}/changelog
    COMMENT "Compressing the changelog")
add_custom_target(harbrix_desktop ALL DEPENDS
    ${made}/${HARBRIX_APP_ID}.png ${made}/harbrixctl.1.gz ${made}/harbrix.1.gz ${made}/changelog.gz)

# The launchers: links from bin into the bundle, made here and installed as links.
file(MAKE_DIRECTORY ${made}/bin)
file(CREATE_LINK ../${bundle}/Contents/MacOS/Harbrix ${made}/bin/harbrix SYMBOLIC)
file(CREATE_LINK ../${bundle}/Contents/MacOS/harbrixctl ${made}/bin/harbrixctl SYMBOLIC)

# The bundle.
install(TARGETS Harbrix harbrixctl RUNTIME DESTINATION ${bundle}/Contents/MacOS)
install(TARGETS Tolvane RUNTIME DESTINATION ${bundle}/Contents/MacOS/Tolvane.app/Contents/MacOS)
install(FILES ${HARBRIX_BUNDLE}/Contents/Info.plist DESTINATION ${bundle}/Contents)
install(DIRECTORY ${HARBRIX_BUNDLE_RESOURCES} DESTINATION ${bundle}/Contents USE_SOURCE_PERMISSIONS)
install(DIRECTORY ${HARBRIX_TOLVANE_RESOURCES}
        DESTINATION ${bundle}/Contents/MacOS/Tolvane.app/Contents USE_SOURCE_PERMISSIONS)

# Around it.
install(FILES ${made}/bin/harbrix ${made}/bin/harbrixctl DESTINATION bin)
install(FILES ${linux}/60-harbrix-qor.rules DESTINATION lib/udev/rules.d)
install(FILES ${linux}/${HARBRIX_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${linux}/${HARBRIX_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/images/WINDOW_app_icon.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${HARBRIX_APP_ID}.svg)
install(FILES ${made}/${HARBRIX_APP_ID}.png DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${made}/harbrix.1.gz ${made}/harbrixctl.1.gz DESTINATION share/man/man1)
install(FILES ${linux}/harbrixctl.bash DESTINATION share/bash-completion/completions
        RENAME harbrixctl)
install(FILES ${debian}/copyright ${made}/changelog.gz DESTINATION share/doc/harbrix)
