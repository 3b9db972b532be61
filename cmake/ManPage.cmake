# Writes OUTPUT (etbtool.1.gz), the man page of ETBTOOL, from its own help: help2man turns
# `etbtool --help` into the page, and each command's --help (and each prefs action's) becomes a
# subsection of COMMANDS, so the page says what the commands say of themselves. Run at build time.
# Inputs: ETBTOOL, HELP2MAN, GZIP, VERSION, OUTPUT.
get_filename_component(folder ${OUTPUT} DIRECTORY)

# The help of `etbtool WORDS --help`.
function(etbtool_help words result)
  separate_arguments(arguments UNIX_COMMAND "${words}")
  execute_process(COMMAND ${ETBTOOL} ${arguments} --help OUTPUT_VARIABLE help
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "etbtool ${words} --help failed: ${status}")
  endif()
  set(${result} "${help}" PARENT_SCOPE)
endfunction()

# The subcommand names a help lists under "Subcommands:".
function(subcommands_of help result)
  string(REGEX MATCH "\nSubcommands:\n.*" listed "${help}")
  string(REGEX MATCHALL "\n  [a-z]+ " names "${listed}")
  list(TRANSFORM names STRIP)
  set(${result} ${names} PARENT_SCOPE)
endfunction()

# One COMMANDS subsection: the command's help as it prints, in troff's no-fill mode.
function(append_command words help)
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND page ".SS \"etbtool ${words}\"\n.nf\n${help}.fi\n")
  set(page "${page}" PARENT_SCOPE)
endfunction()

set(page "[COMMANDS]\n")
etbtool_help("" top)
subcommands_of("${top}" commands)
foreach(command IN LISTS commands)
  etbtool_help("${command}" help)
  append_command("${command}" "${help}")
  subcommands_of("${help}" actions)
  foreach(action IN LISTS actions)
    etbtool_help("${command} ${action}" actionHelp)
    append_command("${command} ${action}" "${actionHelp}")
  endforeach()
endforeach()
string(APPEND page [=[
[ENVIRONMENT]
.TP
.B ETBTOOL_MODULE
the module to load when \-\-module is not given.
.TP
.B XDG_CONFIG_HOME
the folder of the default preferences store, etbtool/preferences.json in it; when it is unset
or not an absolute path, ~/.config.
.TP
.B HOME
the home folder, for ~/.config; when it is unset, the one the password database gives.
.TP
.B ETBTOOL_MAX_LINE
the longest line the host reads (default 256M): a load stops at a longer line and fails.
.TP
.B ETBTOOL_MAX_STORE
the largest preferences store (default 256M): a larger one is refused, never overwritten.
.TP
.B ETBTOOL_MAX_EXTRACT
the bytes unpacked from one session archive at most (default 4G).
.TP
.B ZN_SYSTEM_ENCODING
the system character set that texts of .ed and .edz products are converted from and to
(default WINDOWS\-1252).
.TP
.B COLUMNS
the width of the terminal the human table is fitted to (one column less, never less than 79);
only when standard output is a terminal.
.TP
.B TMPDIR
the folder of the host's temporary folder and download cache (default /tmp).
.PP
The limits are numbers of bytes with an optional K, M or G; any other value is a usage mistake.
]=])
file(WRITE ${folder}/etbtool-commands.h2m "${page}")

execute_process(
  COMMAND ${HELP2MAN} --no-info --version-string=${VERSION} --include=${folder}/etbtool-commands.h2m
          --name=the\ command-line\ host\ of\ the\ ETB\ annotation\ plug-in\ module
          --section=1 --output=${folder}/etbtool.1 ${ETBTOOL}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${status}")
endif()
# -n: no name or time stamp in the archive, so equal pages give equal files.
execute_process(COMMAND ${GZIP} -9 -n -c ${folder}/etbtool.1 OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${status}")
endif()
