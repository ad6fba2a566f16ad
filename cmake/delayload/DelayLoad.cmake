# DLLs outside the system's KnownDLLs list are found by the loader's search, which starts in
# the program's own folder: a WINMM.dll planted beside a program in Downloads would run with
# the user's rights before the program's first line. Linked for delay-loading instead, such a
# DLL is loaded at its first call, after the program has limited the search to System32
# (SetDefaultDllDirectories), and never in a process that does not call it.
#
# horvane_delayload(<name> ...) makes the target horvane_delay_<name> from <name>.def, which
# lists the functions the program calls (a function missing there fails the link).
find_program(HORVANE_DLLTOOL ${MINGW_PREFIX}-dlltool REQUIRED)

function(horvane_delayload)
  foreach(name IN LISTS ARGN)
    set(def ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
    file(STRINGS ${def} header LIMIT_COUNT 1)
    string(REGEX REPLACE "^LIBRARY +" "" dll "${header}")
    add_custom_command(
      OUTPUT ${lib}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
      COMMAND ${HORVANE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
      DEPENDS ${def}
      COMMENT "Delay-load library for ${dll}"
      VERBATIM)
    add_custom_target(horvane_delay_${name}_lib DEPENDS ${lib})
    add_library(horvane_delay_${name} INTERFACE)
    add_dependencies(horvane_delay_${name} horvane_delay_${name}_lib)
    target_link_libraries(horvane_delay_${name} INTERFACE ${lib})
  endforeach()
endfunction()
