# `cmake --build <dir> --target package` makes lenzora_<version>_<arch>.deb of what
# `cmake --install` puts in place, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lenzora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lenzora developers")
set(CPACK_PACKAGE_CONTACT "The Lenzora developers <lenzora@lenzora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interlace pictures for lenticular 3D and flip prints")
# Lines under 80 characters, as Debian's description field wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Lenzora interlaces 2 to 16 frames into one picture whose strips fall exactly
under the lenses of a lenticular sheet, choosing the print resolution so that
every frame gets a whole number of pixels per lens, or interlacing straight
onto the printer's own grid. It makes the pitch test chart that finds a sheet's
true pitch, previews what the sheet will show, and saves and prints at true
physical size. The batch tool lenzora-cli does the same without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://lenzora.example/)
# The libraries the programs link, with their versions, as dpkg-shlibdeps reads them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no binary names them: Qt's Chinese dialogs, the faces the Chinese
# texts are drawn in, and a file's drawn glyphs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-wqy-zenhei, fonts-arphic-ukai, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, cups")

include(CPack)
