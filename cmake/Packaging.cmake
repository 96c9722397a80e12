# Install rules and the Debian package (cpack -G DEB, or "scripts/setup.sh package").
# Programs, libraries and read-only content go to /opt/vantor, laid out as the build's
# installation folder; a user's own writable folder (~/Vantor) is made from it on the first start
# (common/platform/user_folder.h). The settings installed here are the shipped defaults only:
# they come from the source tree, never from a build folder where the station may have run.
set(VANTOR_PACKAGE_ROOT /opt/vantor)
# "scripts/setup.sh package" builds the programs and the content itself; installing must not build
# every test program of the tree first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(VANTOR_PACKAGE_DIR ${PROJECT_SOURCE_DIR}/resources/package)

install(TARGETS Travenor Halvix VantorGallery RUNTIME DESTINATION ${VANTOR_PACKAGE_ROOT})
install(TARGETS Tarquel Zorvane LIBRARY DESTINATION ${VANTOR_PACKAGE_ROOT} NAMELINK_SKIP)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/install/ DESTINATION ${VANTOR_PACKAGE_ROOT})
# The pictures and sounds the content tools draw into the build's installation folder.
foreach(folder images Template Sound res)
    install(DIRECTORY ${VANTOR_INSTALL_DIR}/${folder} DESTINATION ${VANTOR_PACKAGE_ROOT})
endforeach()

install(FILES ${VANTOR_PACKAGE_DIR}/org.vantor.Station.desktop DESTINATION /usr/share/applications)
install(FILES ${VANTOR_PACKAGE_DIR}/vantor.svg DESTINATION /usr/share/icons/hicolor/scalable/apps)
install(FILES ${VANTOR_PACKAGE_DIR}/org.vantor.Station.metainfo.xml DESTINATION /usr/share/metainfo)
# The kiosk start: installed switched off (Hidden=true); the README says how to switch it on.
install(FILES ${VANTOR_PACKAGE_DIR}/vantor-kiosk.desktop DESTINATION /etc/xdg/autostart)
install(FILES ${VANTOR_PACKAGE_DIR}/copyright DESTINATION /usr/share/doc/vantor)
install(FILES ${VANTOR_PACKAGE_DIR}/lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME vantor)
# Debian wants the changelog compressed with gzip -9n (no name, no time stamp).
set(changelog_gz ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${VANTOR_PACKAGE_DIR}/changelog ${changelog_gz}
    DEPENDS ${VANTOR_PACKAGE_DIR}/changelog
    VERBATIM)
add_custom_target(vantor_package_files ALL DEPENDS ${changelog_gz})
install(FILES ${changelog_gz} DESTINATION /usr/share/doc/vantor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantor")
set(CPACK_PACKAGE_CONTACT "Vantor maintainers <maintainers@vantor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "event sign-in station with photo wall and lottery")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantor runs the sign-in of an event on a desktop with a camera and a touch\n\
screen. Each guest is photographed inside a decorative frame, signs over the\n\
photo, may leave a voice message and gets a print. The station also draws a\n\
prize lottery among the day's photos and starts a 3D photo wall of them.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantor.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds Tarquel and Zorvane beside the programs through their RUNPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VANTOR_PACKAGE_ROOT})
# Loaded at run time, so dpkg-shlibdeps cannot see them: the GStreamer elements of the camera,
# the voice recorder and the wall's video player, an audio backend for autoaudiosrc and
# autoaudiosink (microphone, sounds), Qt's X11 platform plugin, OpenGL drivers and the Chinese
# font the texts are drawn in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-x, gstreamer1.0-libav, \
gstreamer1.0-alsa | gstreamer1.0-pulseaudio | gstreamer1.0-pipewire, \
qt6-qpa-plugins, libgl1-mesa-dri, fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, cups, syncthing")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VANTOR_PACKAGE_DIR}/conffiles)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
