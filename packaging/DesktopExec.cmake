# desktop_exec_value(<out> <path>): the value of a menu entry's Exec key that
# runs the program at <path>. A path with characters the entry's command
# line reserves (a space in a home folder, say) is quoted, with the quoting
# rules of the command line and then those of the entry's strings applied.
function(desktop_exec_value out path)
  string(REPLACE "%" "%%" value "${path}")
  if(value MATCHES "[^A-Za-z0-9/._+%-]")
    foreach(special "\\" "\"" "`" "$")
      string(REPLACE "${special}" "\\${special}" value "${value}")
    endforeach()
    set(value "\"${value}\"")
  endif()
  string(REPLACE "\\" "\\\\" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()
