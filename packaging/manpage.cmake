# Writes kavret's manual page (section 6) from its --help text, so that the
# options are described in one place: the usage text in app/options.cpp.
#   cmake -DPROGRAM=<kavret> -DVERSION=<x.y.z> -DDATA_DIR=<data dir under the prefix> -DOUT=<kavret.6> -P manpage.cmake
# The help text's shape: a usage line, a sentence saying what the program
# does, a blank line, the options ("  --name ARG  what it does", longer
# descriptions continued on lines indented further), a blank line, notes.
cmake_minimum_required(VERSION 3.25)
foreach(var PROGRAM VERSION DATA_DIR OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "manpage.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# Text to roff: backslashes and hyphens escaped, a leading dot or quote made
# literal. Brackets and semicolons stand in for themselves again at the end
# (CMake lists would split on them).
function(roff_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "--scale N|fit" -> option names bold, their arguments italic.
function(roff_option synopsis out)
  string(REPLACE " " ";" words "${synopsis}")
  set(result "")
  foreach(word IN LISTS words)
    roff_text("${word}" escaped)
    if(word MATCHES "^-")
      if(escaped MATCHES "^(.*),$")
        set(escaped "\\fB${CMAKE_MATCH_1}\\fR,")
      else()
        set(escaped "\\fB${escaped}\\fR")
      endif()
    else()
      set(escaped "\\fI${escaped}\\fR")
    endif()
    string(APPEND result " ${escaped}")
  endforeach()
  string(STRIP "${result}" result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

string(REPLACE ";" "@SEMICOLON@" help "${help}")
string(REPLACE "[" "@OPEN@" help "${help}")
string(REPLACE "]" "@CLOSE@" help "${help}")
string(REGEX REPLACE "\n$" "" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

set(part "head")  # head, options, notes
set(summary "")
set(options "")
set(notes "")
set(count 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    if(part STREQUAL "head")
      set(part "options")
    elseif(part STREQUAL "options")
      set(part "notes")
    else()
      set(notes "${notes}.PP\n")
    endif()
  elseif(part STREQUAL "head")
    if(NOT line MATCHES "^usage:")
      roff_text("${line}" text)
      string(APPEND summary "${text}\n")
    endif()
  elseif(part STREQUAL "options")
    # An option: its names and arguments (words starting with "-", or upper
    # case argument names), then its description.
    if(line MATCHES "^  (-[^ ]+( [A-Z][A-Za-z|]*| -[^ ]+)*) +(.*)$")
      roff_option("${CMAKE_MATCH_1}" synopsis)
      roff_text("${CMAKE_MATCH_3}" text)
      string(APPEND options ".TP\n${synopsis}\n${text}\n")
      math(EXPR count "${count} + 1")
    elseif(line MATCHES "^    +(.*)$" AND count GREATER 0)
      roff_text("${CMAKE_MATCH_1}" text)
      string(APPEND options "${text}\n")
    else()
      message(FATAL_ERROR "manpage.cmake: cannot read this option line of --help:\n${line}")
    endif()
  else()
    roff_text("${line}" text)
    string(APPEND notes "${text}\n")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "manpage.cmake: no options found in ${PROGRAM} --help")
endif()

roff_text("${DATA_DIR}" data_dir)
roff_text("${VERSION}" version)
set(page ".TH KAVRET 6 \"\" \"kavret ${version}\" \"Games\"
.SH NAME
kavret \\- play the Ossik Kavret Demo, real\\-time 3D scenes with tracker music
.SH SYNOPSIS
.B kavret
[\\fIoptions\\fR]
.SH DESCRIPTION
${summary}.PP
Eight animated scenes with lens flares, particle sprites and music, drawn the
way a 1998 3D accelerator drew them. A set\\-up dialog comes first (display
driver, music, looping). Without a display the demo can run headless, or be
captured frame by frame into a video with its sound.
.SH OPTIONS
${options}.SH NOTES
${notes}.SH FILES
.TP
\\fIPREFIX/${data_dir}\\fR
The demo's models, textures and music, where PREFIX is the folder above the
one that holds the program (\\fI/usr\\fR for \\fI/usr/bin/kavret\\fR). kavret
looks for them in the folder given with \\fB\\-\\-data\\fR, else in the working
directory when it has an \\fIObjects\\fR folder, else here, so an installed
tree may be moved as a whole.
.TP
\\fI~/.config/kavret/registry.reg\\fR
The settings the set\\-up dialog keeps (\\fI$XDG_CONFIG_HOME/kavret/registry.reg\\fR
when \\fBXDG_CONFIG_HOME\\fR is set), unless \\fB\\-\\-settings\\fR names another file.
.SH EXIT STATUS
0 when the demo ran, 1 when it could not start or its capture failed, 2 for a
bad option or a missing data folder, 130 or 143 when a headless run or capture
was stopped by SIGINT or SIGTERM.
")
string(REPLACE "@SEMICOLON@" ";" page "${page}")
string(REPLACE "@OPEN@" "[" page "${page}")
string(REPLACE "@CLOSE@" "]" page "${page}")
file(WRITE "${OUT}" "${page}")
