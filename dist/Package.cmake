# The Debian package (scripts/package): everything `cmake --install` lays out,
# below /usr. Included at the end of the top-level list, after every install
# rule.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvra-config)
# The release, as users and the AppStream data know it; the fourth part of
# the project version is the build number and stays out of the package.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_VENDOR Kelvra)
set(CPACK_PACKAGE_CONTACT "${KELVRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "configuration program of the Kelvra music visualiser
Kelvra Config decides what the Kelvra music visualiser shows and how:
it browses the installed scenes, filters them by tags, type and text,
chooses the scenes of a playlist, edits tags, manages playlists, previews
a scene in the player and edits the player's settings. Scene packages
(.kvd, .kvc) open with it from the file manager.")

# Libraries come from dpkg-shlibdeps, which also pins the private Qt ABI our
# copies of the QML modules (qt/ in the application directory) use. The
# modules themselves are loaded at run time, which it cannot see: the
# packages of those the interface imports are named here, and the SQLite
# driver plugin the catalogue index is kept with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(_kelvra_depends
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-layouts
    qml-module-qtquick-controls2 qml-module-qtquick-templates2 qml-module-qtqml-models2
    qml-module-qt-labs-folderlistmodel qml-module-qt-labs-settings libqt5sql5-sqlite)
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${_kelvra_depends}")
# Qt's own strings (standard buttons, file names in dialogs) in the user's
# language; the program's own strings are inside its interface resource.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qttranslations5-l10n)

# Stripped binaries and the permissions Debian expects of files, directories
# and the maintainer scripts' control files.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
