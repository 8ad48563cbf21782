# SPDX-License-Identifier: GPL-3.0-or-later
# The changelog's two renderings (Debian changelog, AppStream releases) and
# the package maintainer's default and check, run as a CMake script:
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P release_notes_test.cmake
include(${SOURCE_DIR}/cmake/VistrelReleaseNotes.cmake)
include(${SOURCE_DIR}/cmake/VistrelMaintainer.cmake)

# A failed check is a SEND_ERROR: the script goes on to the other checks and
# exits non-zero at its end.
macro(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(SEND_ERROR "${what}:\n---- got\n${actual}\n---- expected\n${expected}")
  endif()
endmacro()

# Runs this script's case `name` in a CMake of its own, which fails or not.
function(run_case name result_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DWORK_DIR=${WORK_DIR} -DCASE=${name} ${ARGN}
                          -P ${CMAKE_CURRENT_LIST_FILE}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  set(${result_var} ${result} PARENT_SCOPE)
endfunction()
function(expect_failure name)
  run_case(${name} result ${ARGN})
  if(result EQUAL 0)
    message(SEND_ERROR "case ${name} was accepted: ${ARGN}")
  endif()
endfunction()
function(expect_success name)
  run_case(${name} result ${ARGN})
  if(NOT result EQUAL 0)
    message(SEND_ERROR "case ${name} was refused: ${ARGN}")
  endif()
endfunction()

if(DEFINED CASE)
  if(CASE STREQUAL "changelog")
    file(WRITE ${WORK_DIR}/bad.md "${TEXT}")
    vistrel_read_changelog(${WORK_DIR}/bad.md "A B <a@b.org>" debian appstream version date)
  elseif(CASE STREQUAL "maintainer")
    vistrel_check_maintainer("${VALUE}")
  endif()
  return()
endif()

file(MAKE_DIRECTORY ${WORK_DIR})
# Two releases; the text has what CMake lists and XML treat specially.
file(WRITE ${WORK_DIR}/CHANGELOG.md "# Changes

Introduction, with `code` and [links].

## 1.10.0 (2024-02-29)

- Lists keep [brackets]; and semicolons
  across two lines.
- Pictures <of> A & B.

## 1.9.0 (2000-01-01)

- First.
")
vistrel_read_changelog(${WORK_DIR}/CHANGELOG.md "Jane Doe <jane@example.net>" debian appstream version date)
expect("newest version" "${version}" "1.10.0")
expect("newest date" "${date}" "2024-02-29")
expect("Debian changelog" "${debian}" "vistrel (1.10.0) unstable; urgency=medium

  * Lists keep [brackets]; and semicolons
    across two lines.
  * Pictures <of> A & B.

 -- Jane Doe <jane@example.net>  Thu, 29 Feb 2024 12:00:00 +0000

vistrel (1.9.0) unstable; urgency=medium

  * First.

 -- Jane Doe <jane@example.net>  Sat, 01 Jan 2000 12:00:00 +0000
")
expect("AppStream releases" "${appstream}" "    <release version=\"1.10.0\" date=\"2024-02-29\">
      <description>
        <ul>
          <li>Lists keep [brackets]; and semicolons across two lines.</li>
          <li>Pictures &lt;of&gt; A &amp; B.</li>
        </ul>
      </description>
    </release>
    <release version=\"1.9.0\" date=\"2000-01-01\">
      <description>
        <ul>
          <li>First.</li>
        </ul>
      </description>
    </release>
")

# A changelog it cannot read stops the build rather than ship a wrong one.
expect_success(changelog "-DTEXT=## 1.0 (2024-01-01)\n\n- Fine.\n")
expect_failure(changelog "-DTEXT=# No release at all\n")
expect_failure(changelog "-DTEXT=## 1.0 (2024-13-01)\n\n- Month 13.\n")
expect_failure(changelog "-DTEXT=## 1.0 (2024-01-01)\n\n")
expect_failure(changelog "-DTEXT=## 1.0 (2024-01-01)\n\n* Not an item.\n")
expect_failure(changelog "-DTEXT=## 1.0\n\n- No date.\n")

# The maintainer: Debian's packager variables, else the placeholder.
set(ENV{DEBFULLNAME} "Jane Doe")
set(ENV{DEBEMAIL} "jane@example.net")
vistrel_default_maintainer(maintainer)
expect("maintainer from DEBFULLNAME and DEBEMAIL" "${maintainer}" "Jane Doe <jane@example.net>")
set(ENV{DEBEMAIL} "John Roe <john@example.net>")
vistrel_default_maintainer(maintainer)
expect("maintainer from a whole DEBEMAIL" "${maintainer}" "John Roe <john@example.net>")
unset(ENV{DEBFULLNAME})
unset(ENV{DEBEMAIL})
vistrel_default_maintainer(maintainer)
expect("maintainer without them" "${maintainer}" "${VISTREL_PLACEHOLDER_MAINTAINER}")
vistrel_check_maintainer("${maintainer}")
vistrel_check_maintainer("Jane Doe <jane.doe+deb@mail.example.net>")
foreach(bad "Vistrel developers <vistrel@invalid>" "Jane <jane@host.invalid>" "Jane <jane@localhost>"
            "jane@example.net" "<jane@example.net>" "Jane Doe jane@example.net")
  expect_failure(maintainer "-DVALUE=${bad}")
endforeach()
expect_success(maintainer "-DVALUE=Jane Doe <jane@example.net>")

message(STATUS "changelog renderings and maintainer checked")
