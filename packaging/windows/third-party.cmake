# SPDX-License-Identifier: GPL-3.0-or-later
# The third-party components the Windows programs link, found in the linker's
# maps, with their licences: writes OUT/THIRD-PARTY.txt and OUT/licenses/.
#   cmake -DMAPS="a.map;b.map" -DPROGRAMS="a.exe;b.exe" -DQT_PREFIX=DIR -DBUILD_DIR=DIR
#         -DQT_VERSION=V -DCOMPONENTS=components.tsv
#         -DLICENSES=DIR -DOUT=DIR [-DCHECK=ON] -P third-party.cmake
# Components come from components.tsv (tools/third-party-licences.py): one is
# linked when an object its markers name was pulled into a program. With CHECK
# nothing is written; it fails when a linked component has no licence text,
# when an object of one of Qt's bundled libraries belongs to no component, or
# when code from a library of the toolchain (not our build's, BUILD_DIR, nor a
# Windows import library) does.
cmake_minimum_required(VERSION 3.25)

set(problems "")
set(linked_members "")
set(bundled_members "")
set(runtime_archives "")
set(contents "")
foreach(map IN LISTS MAPS)
  if(NOT EXISTS "${map}")
    message(FATAL_ERROR "no linker map ${map}")
  endif()
  file(READ "${map}" text)
  string(APPEND contents "${text}")
  # "ARCHIVE(MEMBER)" of every object taken from a static library.
  string(REGEX MATCHALL "[^ \t\r\n()]+\\.a\\([^)\r\n]+\\)" pulled "${text}")
  list(REMOVE_DUPLICATES pulled)
  foreach(p IN LISTS pulled)
    string(REGEX MATCH "^(.*)\\(([^)]+)\\)$" _ "${p}")
    set(archive "${CMAKE_MATCH_1}")
    set(member "${CMAKE_MATCH_2}")
    string(FIND "${archive}" "${QT_PREFIX}/" at)
    string(FIND "${archive}" "${BUILD_DIR}/" ours)
    get_filename_component(archive_name "${archive}" NAME)
    if(NOT at EQUAL 0 AND NOT ours EQUAL 0 AND IS_ABSOLUTE "${archive}"
       AND NOT member MATCHES "^(lib[a-z0-9_]+|d[0-9a-z]+)(h|t|s[0-9]+)\\.o$")
      # Code from the toolchain's libraries, not a stub of a Windows DLL's
      # import library: its library must be a component's.
      list(APPEND runtime_archives "${archive_name}")
    endif()
    if(at EQUAL 0)
      list(APPEND linked_members "${member}")
      if(archive MATCHES "/libQt6Bundled[^/]*\\.a$")
        list(APPEND bundled_members "${member}")
      endif()
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES linked_members)
list(REMOVE_DUPLICATES bundled_members)
list(REMOVE_DUPLICATES runtime_archives)

file(STRINGS "${COMPONENTS}" rows ENCODING UTF-8 REGEX "^[^#]")
set(claimed "")
set(table "")
set(texts "")
foreach(row IN LISTS rows)
  string(REPLACE "\t" ";" fields "${row}")
  list(GET fields 0 id)
  list(GET fields 1 name)
  list(GET fields 2 version)
  list(GET fields 3 licence)
  list(GET fields 4 markers)
  string(REPLACE " " ";" markers "${markers}")
  set(found FALSE)
  foreach(m IN LISTS markers)
    if(m MATCHES "^member:(.+)$")
      list(FIND linked_members "${CMAKE_MATCH_1}" i)
      if(NOT i EQUAL -1)
        set(found TRUE)
        list(APPEND claimed "${CMAKE_MATCH_1}")
      endif()
    elseif(m MATCHES "^archive:(.+)$")
      list(REMOVE_ITEM runtime_archives "${CMAKE_MATCH_1}")
      string(FIND "${contents}" "/${CMAKE_MATCH_1}" i)
      if(NOT i EQUAL -1)
        set(found TRUE)
      endif()
    endif()
  endforeach()
  if(NOT found)
    continue()
  endif()
  set(text "${LICENSES}/${id}.txt")
  set(size 0)
  if(EXISTS "${text}")
    file(SIZE "${text}" size)
  endif()
  if(size EQUAL 0)
    string(APPEND problems "linked component ${id} (${name}) has no licence text ${text}\n")
  endif()
  if(version STREQUAL "")
    set(version "-")
  endif()
  string(APPEND table "${name}\r\n  version: ${version}\r\n  licence: ${licence}\r\n"
                      "  text:    licenses\\${id}.txt\r\n\r\n")
  list(APPEND texts "${text}")
endforeach()

foreach(member IN LISTS bundled_members)
  list(FIND claimed "${member}" i)
  if(i EQUAL -1)
    string(APPEND problems "${member} of a bundled Qt library belongs to no known component\n")
  endif()
endforeach()
foreach(archive IN LISTS runtime_archives)
  string(APPEND problems "${archive} is linked and belongs to no known component\n")
endforeach()
if(NOT problems STREQUAL "")
  message(FATAL_ERROR "${problems}")
endif()
if(CHECK)
  list(LENGTH texts n)
  message(STATUS "${n} linked third-party components, each with its licence text")
  return()
endif()

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/licenses")
file(COPY ${texts} DESTINATION "${OUT}/licenses")
string(REPLACE ";" ", " programs "${PROGRAMS}")
file(WRITE "${OUT}/THIRD-PARTY.txt"
  "Third-party components in ${programs}\r\n"
  "(found in the linker's maps when they were built; the licence texts are in licenses\\)\r\n\r\n"
  "Qt ${QT_VERSION} (Qt Core, Qt Gui, Qt Widgets and their plugins), linked statically\r\n"
  "  version: ${QT_VERSION}\r\n  licence: LGPL-3.0-only\r\n"
  "  text:    LICENSE-Qt-LGPL-3.0.txt (and LICENSE-Qt-GPL-3.0.txt, which it builds on)\r\n"
  "  source:  Qt-SOURCE.txt\r\n\r\n"
  "${table}")
