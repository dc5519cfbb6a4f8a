# CPack makes two packages of one Release tree: a Debian package of the installed layout and a
# portable archive whose one folder holds the executable beside its files.
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME halvoren)
set(CPACK_PACKAGE_VENDOR "The Halvoren developers")
set(CPACK_PACKAGE_CONTACT "The Halvoren developers <dev@halvoren.net>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://halvoren.net/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "caller ID display, call logger and call blocker")
set(CPACK_PACKAGE_DESCRIPTION
    "Halvoren turns a voice/data modem that reports caller ID into a caller ID
display, a call logger and a call blocker. Every call's caller ID text goes
into a log; a small phone book plays a sound and shows a picture for the
numbers it knows, and numbers marked as blocked are cut off.")
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no link shows: the platform plugin that draws the windows and the faces the windows were
# laid out in. Sound goes straight from libQt6Multimedia to a PulseAudio server, no plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wine")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-sound-recorder | audacity")

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" halvoren_system)
set(CPACK_ARCHIVE_FILE_NAME halvoren-${PROJECT_VERSION}-${halvoren_system})

# Each generator installs its own components; read by CPack once per generator.
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProject.cmake.in
    ${PROJECT_BINARY_DIR}/CPackProject.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProject.cmake)

include(CPack)
