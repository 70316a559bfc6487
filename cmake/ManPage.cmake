# Makes a program's manual page from its own --help through help2man, so the page cannot drift
# from the options. Run as a script:
#
#   cmake -DPROGRAM=<built program> -DINCLUDE=<page.h2m> -DOUTPUT=<page.1.gz>
#         [-DCOMMANDS=compose,proof] -P ManPage.cmake
#
# INCLUDE gives what --help does not say (name, synopsis, description, examples). For each of
# COMMANDS, the text of `PROGRAM COMMAND --help` becomes a subsection of COMMANDS: its usage
# lines as they are, then its paragraphs and option lists as help2man lays them out.

find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
get_filename_component(name "${PROGRAM}" NAME)
set(includes --include "${INCLUDE}")

# roff takes a backslash as an escape and a dash as a hyphen.
function(roff_escape text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(COMMANDS)
  string(REPLACE "," ";" COMMANDS "${COMMANDS}")
  set(commands "[COMMANDS]\n")
  foreach(command IN LISTS COMMANDS)
    execute_process(COMMAND "${PROGRAM}" ${command} --help OUTPUT_VARIABLE help
                    COMMAND_ERROR_IS_FATAL ANY)
    # The usage lines end at the first blank line.
    string(FIND "${help}" "\n\n" usage_end)
    string(SUBSTRING "${help}" 0 ${usage_end} usage)
    # Without "usage: ", its continuation lines lose as much of their indent.
    string(REGEX REPLACE "^usage: " "" usage "${usage}")
    string(REPLACE "\n       " "\n" usage "${usage}")
    roff_escape("${usage}" usage)

    execute_process(COMMAND "${HELP2MAN}" --no-info --help-option "${command} --help"
                            "${PROGRAM}" OUTPUT_VARIABLE page COMMAND_ERROR_IS_FATAL ANY)
    # help2man's page starts with the usage lines under DESCRIPTION; what follows their
    # paragraph is the command's own text.
    string(FIND "${page}" ".SH DESCRIPTION\n" at)
    string(SUBSTRING "${page}" ${at} -1 page)
    string(FIND "${page}" "\n.PP\n" at)
    string(SUBSTRING "${page}" ${at} -1 page)
    # Its sections and subsections become bold headings within the command's subsection.
    string(REGEX REPLACE "\n\\.SH OPTIONS\n" "\n.PP\n.B Options:\n" page "${page}")
    string(REGEX REPLACE "\n\\.S[HS] ([^\n]*)\n" "\n.PP\n.B \\1\n" page "${page}")
    string(APPEND commands ".SS \"${name} ${command}\"\n.nf\n${usage}\n.fi${page}\n")
  endforeach()
  file(WRITE "${OUTPUT}.commands.h2m" "${commands}")
  list(APPEND includes --include "${OUTPUT}.commands.h2m")
endif()

string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
execute_process(COMMAND "${HELP2MAN}" --no-info ${includes} --output "${page}" "${PROGRAM}"
                COMMAND_ERROR_IS_FATAL ANY)
# -n: no name or time stamp in the header, so the same page gives the same bytes.
execute_process(COMMAND "${GZIP}" -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
