# The installed layout and the Debian package (cmake --install, CPack's DEB generator).
#
# A portable program keeps its program folder beside its executable. An installed one keeps it
# in the user's data folder and finds its shipped files (dictionaries, help documents) in
# <prefix>/share/kelvotrin/; the executable learns where through KV_SHIPPED_DATA, the path from
# its own folder to the shipped files, compiled into main.cpp only. An empty path means
# portable.
include(GNUInstallDirs)

file(GLOB kv_dictionaries CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/dictionaries/*.dic)
set(kv_help_documents ${PROJECT_SOURCE_DIR}/data/help/helprus.doc
                      ${PROJECT_SOURCE_DIR}/data/help/helpeng.doc)

# The development program folder gets the shipped files too. A file is copied again only when
# its source is newer, so a dictionary the program has written keys into stays until the source
# changes.
set(kv_dev_copies)
foreach(source IN LISTS kv_dictionaries kv_help_documents)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${KV_PROGRAM_DIR}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${KV_PROGRAM_DIR}/${name}
                       DEPENDS ${source} VERBATIM)
    list(APPEND kv_dev_copies ${KV_PROGRAM_DIR}/${name})
endforeach()
add_custom_target(kelvotrin_shipped_files ALL DEPENDS ${kv_dev_copies})

file(RELATIVE_PATH kv_shipped_data ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/kelvotrin)

# Which executable the install rules take: it must have the installed layout, since a portable
# program in /usr/bin would try to keep its tables there. A build for the package
# (KV_INSTALLED_LAYOUT) makes `kelvotrin` itself so; any other build keeps `kelvotrin`
# portable for development and builds an installable twin from the same objects
# (bin-installed/kelvotrin), so that the tests can build and try the package without a build
# of their own. Sanitizer and fuzz builds are never installed.
if(KV_INSTALLED_LAYOUT)
    # The tests start bin/kelvotrin as a portable program in temporary folders; this one would
    # use the real user's data folder.
    if(KV_BUILD_TESTS)
        message(FATAL_ERROR "KV_INSTALLED_LAYOUT builds the program for installing only: "
                            "add -DKV_BUILD_TESTS=OFF")
    endif()
    target_compile_definitions(kelvotrin PRIVATE KV_SHIPPED_DATA="${kv_shipped_data}")
    set(kv_installed_executable kelvotrin)
else()
    target_compile_definitions(kelvotrin PRIVATE KV_SHIPPED_DATA="")
    if(KV_SANITIZE OR KV_FUZZ)
        return()
    endif()
    add_executable(kelvotrin_installed ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
    target_link_libraries(kelvotrin_installed PRIVATE kelvotrin_gui)
    target_compile_definitions(kelvotrin_installed PRIVATE KV_SHIPPED_DATA="${kv_shipped_data}")
    set_target_properties(kelvotrin_installed PROPERTIES
        OUTPUT_NAME kelvotrin
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin-installed)
    set(kv_installed_executable kelvotrin_installed)
    if(KV_BUILD_TESTS)
        add_test(NAME package_deb
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/package/check_deb.sh ${CMAKE_BINARY_DIR}
                         ${PROJECT_SOURCE_DIR})
        set_tests_properties(package_deb PROPERTIES TIMEOUT 300)
        add_dependencies(tst_statusnotifier kelvotrin_installed)
    endif()
endif()

install(TARGETS ${kv_installed_executable} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${kv_dictionaries} ${kv_help_documents}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvotrin)
install(FILES ${PROJECT_SOURCE_DIR}/data/kelvotrin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Scalable only: every icon theme reader on the desktops we aim at draws SVG, and fixed sizes
# would need a rasterizer at build time.
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/kelvotrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The package.
find_package(Git QUIET)
set(kv_maintainer "Kelvotrin maintainers <maintainers@kelvotrin.invalid>")
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} config user.name
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE kv_git_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} config user.email
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE kv_git_email OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(kv_git_name AND kv_git_email)
        set(kv_maintainer "${kv_git_name} <${kv_git_email}>")
    endif()
endif()
set(KV_PACKAGE_MAINTAINER "${kv_maintainer}" CACHE STRING "Maintainer of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvotrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop backup scheduler")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvotrin keeps a list of backup tasks and, when a task is due, starts an outside
archiver (such as 7-Zip) on the task's files and folders. It keeps numbered
.BAK copies of earlier archives, makes up runs missed while the computer was
off, waits in the system tray and starts with the session. Its texts come from
dictionary files, so it can speak any language.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KV_PACKAGE_MAINTAINER}")
# The Qt libraries it links come from dpkg-shlibdeps. Qt loads the platform and the SVG icon
# plugins at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
# The archiver it starts, and a session bus with a notification service for the failure
# notices shown when the tray icon is hidden.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "7zip, dbus-user-session | dbus-x11, notification-daemon")
include(CPack)
