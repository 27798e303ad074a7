# The man page and the program's own help must list the same options. Both
# are reduced to sets of option names ("-fps" and "--fps" count as one, since
# the X11 options take one dash or two) and compared; the difference is
# printed both ways.
#   -DVELTRANE=<binary> -DMAN_PAGE=<docs/veltrane.6>

# Every help text the program prints: the general one and each mode's. A mode
# the binary does not know answers with an error line ("veltrane: ...") and
# the general usage; error lines are skipped, so they add nothing.
set(help "")
foreach(mode "" --simulate --snapshot --record --idle)
  execute_process(COMMAND ${VELTRANE} ${mode} --help
                  OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  string(APPEND help "${out}\n${err}\n")
endforeach()
string(REGEX REPLACE "(^|\n)veltrane:[^\n]*" "" help "${help}")
# Brackets and semicolons would upset CMake's lists; blanks do as well.
string(REGEX REPLACE "[][;(|,]" " " help "${help}")

# Options in the help: a dash-led word at the start of a line or after a
# blank (brackets, bars and commas were made blanks above).
string(REGEX MATCHALL "(^|[ \t\n])--?[a-z][a-z0-9-]*" found "${help}")
set(help_options "")
foreach(token IN LISTS found)
  string(REGEX MATCH "[a-z][a-z0-9-]*$" name "${token}")
  list(APPEND help_options "${name}")
endforeach()

# Options in the man page: every bold dash-led word ("\fB\-\-name", ".B \-name",
# ".BR \-name", ".BI \-name"), and the later names of a bold list
# (".BR \-fps ", " \-no\-fps").
file(READ "${MAN_PAGE}" man)
string(REPLACE "\\-" "-" man "${man}")
string(REGEX REPLACE "[][;]" " " man "${man}")
string(REGEX MATCHALL "(\\\\fB|\n\\.B[RI]? +|\" +)-+[a-z][a-z0-9-]*" found "${man}")
set(man_options "")
foreach(token IN LISTS found)
  string(REGEX MATCH "[a-z][a-z0-9-]*$" name "${token}")
  list(APPEND man_options "${name}")
endforeach()

list(REMOVE_DUPLICATES help_options)
list(REMOVE_DUPLICATES man_options)
list(SORT help_options)
list(SORT man_options)
if(NOT help_options)
  message(FATAL_ERROR "no options found in the help of ${VELTRANE}")
endif()
set(only_help ${help_options})
list(REMOVE_ITEM only_help ${man_options})
set(only_man ${man_options})
list(REMOVE_ITEM only_man ${help_options})
if(only_help OR only_man)
  message(FATAL_ERROR "the man page and --help disagree\n"
          "  only in --help:    ${only_help}\n"
          "  only in the man page: ${only_man}")
endif()
message(STATUS "man page and --help agree on: ${help_options}")
