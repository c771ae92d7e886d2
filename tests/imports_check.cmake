# Fails unless the executable imports only DLLs that ship with Windows, so it
# runs from a bare folder with nothing beside it.
#   -DOBJDUMP=<x86_64-w64-mingw32-objdump> -DEXECUTABLE=<Glyvant.exe>
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXECUTABLE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
# odbc32.dll, the ODBC driver manager, has shipped with every Windows since 2000;
# imm32.dll, the input method manager, too, and user32 loads it into every
# window program where an input method is installed, as on every Chinese PC.
set(system_dlls kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll
                comdlg32.dll winspool.drv ole32.dll version.dll odbc32.dll
                comctl32.dll imm32.dll)
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system_dlls)
    message(FATAL_ERROR "${EXECUTABLE} needs ${dll}, which does not ship with Windows")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
