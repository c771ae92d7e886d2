# Runs one self-test of a built program as a deployment script would, in a
# fresh folder, and checks the exit code and the report file byte for byte.
#
#   -DPROGRAM=<exe>          the program (run through EMULATOR when given)
#   -DEMULATOR=<wrapper>     e.g. the build's wine-run.sh
#   -DWORK_DIR=<dir>         emptied and used as the current directory
#   -DARGS=<a;b;...>         the arguments
#   -DPROGRAM_COPY=<rel>     run a copy of the program placed at WORK_DIR/<rel>
#   -DMAKE_DIRS=<a;b>        folders to create in WORK_DIR first
#   -DPRECREATE=<rel>        a file to create with old content first
#   -DREPORT=<rel>           where the report must be
#   -DEXPECTED=<file>        its exact bytes (omit: the report must be absent);
#                            "@TODAY+<n>@" in it stands for the local date n
#                            days after the day of the run
#   -DREPORT_MATCH=<regex>   instead, what the report's text must match
#   -DEXIT_CODE=<n>          the expected exit code
#   -DSTDERR_MATCH=<regex>   what standard error must contain
#   -DSTDOUT_MATCH=<regex>   what standard output must match
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(dir IN LISTS MAKE_DIRS)
  file(MAKE_DIRECTORY "${WORK_DIR}/${dir}")
endforeach()
if(PRECREATE)
  file(WRITE "${WORK_DIR}/${PRECREATE}" "old content that is longer than any report ought to be\n")
endif()

set(program "${PROGRAM}")
if(PROGRAM_COPY)
  get_filename_component(copy_dir "${WORK_DIR}/${PROGRAM_COPY}" DIRECTORY)
  file(MAKE_DIRECTORY "${copy_dir}")
  file(COPY_FILE "${PROGRAM}" "${WORK_DIR}/${PROGRAM_COPY}")
  set(program "${WORK_DIR}/${PROGRAM_COPY}")
endif()

# The expected report's bytes (as hex), with each "@TODAY+<n>@" replaced by
# the date n days after `today` (YYYY-MM-DD). The bytes are replaced as
# space-separated pairs, so a match never straddles two bytes and the line
# ends stay as they are.
function(expected_bytes out_var today)
  file(READ "${EXPECTED}" bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  file(STRINGS "${EXPECTED}" lines REGEX "@TODAY\\+[0-9]+@")
  string(REGEX MATCHALL "@TODAY\\+[0-9]+@" marks "${lines}")
  foreach(mark IN LISTS marks)
    string(REGEX REPLACE "@TODAY\\+([0-9]+)@" "\\1" days "${mark}")
    execute_process(COMMAND date -d "${today} +${days} days" +%F
                    OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(HEX "${mark}" mark_hex)
    string(HEX "${date}" date_hex)
    string(REGEX REPLACE "(..)" "\\1 " mark_hex "${mark_hex}")
    string(REGEX REPLACE "(..)" "\\1 " date_hex "${date_hex}")
    string(REPLACE "${mark_hex}" "${date_hex}" bytes "${bytes}")
  endforeach()
  string(REPLACE " " "" bytes "${bytes}")
  set(${out_var} "${bytes}" PARENT_SCOPE)
endfunction()

string(TIMESTAMP today_before "%Y-%m-%d")
function(run_program)
  execute_process(COMMAND ${EMULATOR} "${program}" ${ARGS}
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE exit_code
                  OUTPUT_VARIABLE stdout_text
                  ERROR_VARIABLE stderr_text
                  TIMEOUT 120)
  set(exit_code "${exit_code}" PARENT_SCOPE)
  set(stdout_text "${stdout_text}" PARENT_SCOPE)
  set(stderr_text "${stderr_text}" PARENT_SCOPE)
endfunction()
run_program()
# Twice in some thousand runs of the whole suite, Wine itself ended a
# program with 1 in a fraction of a second, before the program did anything:
# no word, no report, never reproduced alone. A self-test that opens no
# window has no other way to exit 1, so that one case is run once more, and
# said so; a program that really fails fails again.
if(EMULATOR AND "${exit_code}" STREQUAL "1" AND NOT "${EXIT_CODE}" STREQUAL "1" AND stderr_text STREQUAL ""
   AND (NOT REPORT OR NOT EXISTS "${WORK_DIR}/${REPORT}"))
  message(STATUS "under ${EMULATOR} the program exited 1 before doing anything; run once more")
  run_program()
endif()
if(NOT "${exit_code}" STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "exit code ${exit_code}, expected ${EXIT_CODE}\n${stderr_text}")
endif()
string(TIMESTAMP today_after "%Y-%m-%d")
if(STDERR_MATCH AND NOT stderr_text MATCHES "${STDERR_MATCH}")
  message(FATAL_ERROR "standard error lacks '${STDERR_MATCH}':\n${stderr_text}")
endif()
if(STDOUT_MATCH AND NOT stdout_text MATCHES "${STDOUT_MATCH}")
  message(FATAL_ERROR "standard output does not match '${STDOUT_MATCH}':\n${stdout_text}")
endif()

if(REPORT)
  set(report "${WORK_DIR}/${REPORT}")
  if(REPORT_MATCH)
    file(READ "${report}" actual_text)
    if(NOT actual_text MATCHES "${REPORT_MATCH}")
      message(FATAL_ERROR "report ${REPORT} does not match '${REPORT_MATCH}':\n${actual_text}")
    endif()
  elseif(EXPECTED)
    if(NOT EXISTS "${report}")
      file(GLOB_RECURSE found RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
      message(FATAL_ERROR "no report at ${REPORT}; the folder holds: ${found}")
    endif()
    file(READ "${report}" actual HEX)
    expected_bytes(wanted "${today_before}")
    if(NOT actual STREQUAL wanted)
      # The run may have crossed midnight.
      expected_bytes(wanted "${today_after}")
    endif()
    if(NOT actual STREQUAL wanted)
      file(READ "${report}" actual_text)
      message(FATAL_ERROR "report ${REPORT} differs from ${EXPECTED}:\n${actual_text}")
    endif()
  elseif(EXISTS "${report}" AND NOT IS_DIRECTORY "${report}")
    file(SIZE "${report}" size)
    if(size GREATER 0)
      message(FATAL_ERROR "a report was left at ${REPORT} although the run failed")
    endif()
  endif()
endif()
