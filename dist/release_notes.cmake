# Makes, from NEWS.md, what each release carries of its notes: the Debian
# package's changelog.gz, the AppStream metainfo with its <releases>, and the
# manual page dated by the newest release.
#
#   cmake -DIDENTITY=FILE -DOUT=FOLDER -P release_notes.cmake
#
# IDENTITY is written by dist/CMakeLists.txt: the project's version, id,
# addresses and the paths of NEWS.md and the templates.
cmake_minimum_required(VERSION 3.25)
include(${IDENTITY})

function(fail message)
  message(FATAL_ERROR "${NEWS}: ${message}")
endfunction()

# Lines, one list element each; a semicolon, CMake's list separator, stands
# aside as a unit separator character until the text is written.
string(ASCII 31 semicolon)
file(READ ${NEWS} news)
string(REPLACE ";" "${semicolon}" news "${news}")
string(REPLACE "\n" ";" news "${news}")

# Each release: its version, date, summary lines and points (a point's lines
# joined by a line feed).
set(count 0)
set(part none)
foreach(line IN LISTS news)
  if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
    math(EXPR count "${count} + 1")
    set(release_${count}_version ${CMAKE_MATCH_1})
    set(release_${count}_year ${CMAKE_MATCH_2})
    set(release_${count}_month ${CMAKE_MATCH_3})
    set(release_${count}_day ${CMAKE_MATCH_4})
    set(release_${count}_summary "")
    set(release_${count}_points 0)
    set(part summary)
  elseif(line MATCHES "^##")
    fail("a release heading is \"## VERSION (YYYY-MM-DD)\", not \"${line}\"")
  elseif(count EQUAL 0)
    # The file's own heading and preamble.
  elseif(line MATCHES "^- (.*)$")
    math(EXPR point "${release_${count}_points} + 1")
    set(release_${count}_points ${point})
    set(release_${count}_point_${point} "${CMAKE_MATCH_1}")
    set(part point)
  elseif(line MATCHES "^  +(.*)$" AND part STREQUAL "point")
    set(point ${release_${count}_points})
    string(APPEND release_${count}_point_${point} "\n${CMAKE_MATCH_1}")
  elseif(line STREQUAL "")
    if(part STREQUAL "summary" AND NOT release_${count}_summary STREQUAL "")
      set(part points)
    endif()
  elseif(part STREQUAL "summary")
    if(release_${count}_summary STREQUAL "")
      set(release_${count}_summary "${line}")
    else()
      string(APPEND release_${count}_summary "\n${line}")
    endif()
  else()
    fail("a release holds one summary paragraph, then points \"- ...\": \"${line}\"")
  endif()
endforeach()
if(count EQUAL 0)
  fail("no release")
endif()
if(NOT release_1_version STREQUAL PROJECT_VERSION)
  fail("the newest release is ${release_1_version}, the project's version ${PROJECT_VERSION}")
endif()
foreach(index RANGE 1 ${count})
  if(release_${index}_summary STREQUAL "" OR release_${index}_points EQUAL 0)
    fail("release ${release_${index}_version} needs a summary and at least one point")
  endif()
endforeach()

# Markdown's code marks mean nothing to the changelog or the metainfo.
function(plain_text variable text)
  string(REPLACE "`" "" text "${text}")
  string(REPLACE "${semicolon}" ";" text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

function(xml_text variable text)
  plain_text(text "${text}")
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\n" " " text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# A changelog entry's lines: "  * " before the first, four spaces before the rest.
function(changelog_item variable text)
  plain_text(text "${text}")
  string(REPLACE "\n" "\n    " text "${text}")
  set(${variable} "  * ${text}\n" PARENT_SCOPE)
endfunction()

set(month_names January February March April May June July August September October
  November December)
set(month_abbreviations Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(day_abbreviations Sun Mon Tue Wed Thu Fri Sat)
# The day of the week of a date (Sakamoto's rule), 0 for Sunday.
function(week_day variable year month day)
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR month_index "${month} - 1")
  list(GET offsets ${month_index} offset)
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR result "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
  set(${variable} ${result} PARENT_SCOPE)
endfunction()

set(changelog "")
set(KESTRUNE_RELEASES "")
foreach(index RANGE 1 ${count})
  set(version ${release_${index}_version})
  set(year ${release_${index}_year})
  set(month ${release_${index}_month})
  set(day ${release_${index}_day})
  math(EXPR month_index "${month} - 1")
  list(GET month_abbreviations ${month_index} month_abbreviation)
  week_day(week_day_index ${year} ${month} ${day})
  list(GET day_abbreviations ${week_day_index} day_abbreviation)

  string(APPEND changelog "${PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n")
  changelog_item(item "${release_${index}_summary}")
  string(APPEND changelog "${item}")
  xml_text(summary "${release_${index}_summary}")
  string(APPEND KESTRUNE_RELEASES
    "    <release version=\"${version}\" date=\"${year}-${month}-${day}\">\n"
    "      <description>\n"
    "        <p>${summary}</p>\n"
    "        <ul>\n")
  foreach(point RANGE 1 ${release_${index}_points})
    changelog_item(item "${release_${index}_point_${point}}")
    string(APPEND changelog "${item}")
    xml_text(text "${release_${index}_point_${point}}")
    string(APPEND KESTRUNE_RELEASES "          <li>${text}</li>\n")
  endforeach()
  string(APPEND KESTRUNE_RELEASES
    "        </ul>\n"
    "      </description>\n"
    "    </release>\n")
  string(APPEND changelog
    "\n -- ${KESTRUNE_CONTACT}  ${day_abbreviation}, ${day} ${month_abbreviation} ${year} 00:00:00 +0000\n")
  if(index LESS count)
    string(APPEND changelog "\n")
  endif()
endforeach()
string(STRIP "${KESTRUNE_RELEASES}" KESTRUNE_RELEASES)

# Compressed as Debian's policy asks, with no name or time in the gzip header,
# so that every build gives the same bytes.
function(write_compressed path text)
  file(WRITE ${path} "${text}")
  execute_process(COMMAND gzip -9nf ${path} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${path}")
  endif()
endfunction()

write_compressed(${OUT}/changelog "${changelog}")
configure_file(${METAINFO_TEMPLATE} ${OUT}/${KESTRUNE_APP_ID}.metainfo.xml @ONLY)
# The manual page is dated by the newest release.
math(EXPR newest_month_index "${release_1_month} - 1")
list(GET month_names ${newest_month_index} newest_month)
set(KESTRUNE_RELEASE_MONTH "${newest_month} ${release_1_year}")
configure_file(${MAN_PAGE_TEMPLATE} ${OUT}/kestrune.6 @ONLY)
file(READ ${OUT}/kestrune.6 man_page)
write_compressed(${OUT}/kestrune.6 "${man_page}")
