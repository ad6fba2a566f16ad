# Writes, from the staged release, what each installer lays down and removes, file by file:
# LISTS/install.nsh and LISTS/uninstall.nsh for NSIS, LISTS/files.wxi (one component per
# file) and LISTS/refs.wxi (their references) for the MSI. The release is one flat folder; a
# subfolder would need its own SetOutPath, RMDir and Directory, so it is refused here.
file(GLOB entries RELATIVE ${STAGE} ${STAGE}/*)
list(SORT entries)
set(install "")
set(uninstall "")
set(components "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n")
set(refs "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n")
foreach(name IN LISTS entries)
  if(IS_DIRECTORY ${STAGE}/${name})
    message(FATAL_ERROR "the release has a subfolder, ${name}; the installer lays down a flat folder")
  endif()
  string(APPEND install "File \"${STAGE}/${name}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${name}\"\n")
  # wixl takes a file's source relative to the folder it runs in: the stage.
  string(MAKE_C_IDENTIFIER "${name}" id)
  string(APPEND components "  <Component Id=\"c_${id}\" Guid=\"*\" Win64=\"yes\">\n"
                           "    <File Id=\"${id}\" Name=\"${name}\" Source=\"${name}\" KeyPath=\"yes\"/>\n")
  if(name STREQUAL "HorvaneTime.exe")
    # Its program is replaced or removed only with the service stopped.
    string(APPEND components "    <ServiceControl Id=\"StopTimeService\" Name=\"HorvaneTime\" Stop=\"both\"/>\n")
  endif()
  string(APPEND components "  </Component>\n")
  string(APPEND refs "  <ComponentRef Id=\"c_${id}\"/>\n")
endforeach()
string(APPEND components "</Include>\n")
string(APPEND refs "</Include>\n")
file(MAKE_DIRECTORY ${LISTS})
file(WRITE ${LISTS}/install.nsh "${install}")
file(WRITE ${LISTS}/uninstall.nsh "${uninstall}")
file(WRITE ${LISTS}/files.wxi "${components}")
file(WRITE ${LISTS}/refs.wxi "${refs}")
