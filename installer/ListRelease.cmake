# Writes what the installer lays down and what its uninstaller removes, file by file, from
# the staged release: LISTS/install.nsh and LISTS/uninstall.nsh. The release is one flat
# folder; a subfolder would need its own SetOutPath and RMDir, so it is refused here.
file(GLOB entries RELATIVE ${STAGE} ${STAGE}/*)
list(SORT entries)
set(install "")
set(uninstall "")
foreach(name IN LISTS entries)
  if(IS_DIRECTORY ${STAGE}/${name})
    message(FATAL_ERROR "the release has a subfolder, ${name}; the installer lays down a flat folder")
  endif()
  string(APPEND install "File \"${STAGE}/${name}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${name}\"\n")
endforeach()
file(MAKE_DIRECTORY ${LISTS})
file(WRITE ${LISTS}/install.nsh "${install}")
file(WRITE ${LISTS}/uninstall.nsh "${uninstall}")
