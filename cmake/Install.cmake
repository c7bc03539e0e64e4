# Install rules: `cmake --install build --prefix /usr` (DESTDIR honoured)
# lays Quorva out as a Debian system expects. Everything goes below the
# prefix. Two components, one per package (cmake/Package.cmake):
#   cli      the command line, examples, manual page, completion, service
#   desktop  the desktop program, its menu entry, icon and metainfo
# The command line finds the desktop program at ../lib/quorva/ from its own
# folder, so the two paths below go together.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(_pkg ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(_pkg_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(QUORVA_PROJECT_URL "https://quorva.example" CACHE STRING
    "Home page of Quorva; the metainfo's screenshots are the README's pictures below it")

# The changelog's newest entry names the version and the date of the
# release; a version bump that forgets it stops here.
file(STRINGS ${_pkg}/changelog _changelog)
list(GET _changelog 0 _head)
if(NOT _head MATCHES "^quorva \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${_head}', not version ${PROJECT_VERSION}")
endif()
list(FILTER _changelog INCLUDE REGEX "^ -- ")
list(GET _changelog 0 _trailer)
if(NOT _trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in '${_trailer}'")
endif()
set(_day ${CMAKE_MATCH_1})
set(_year ${CMAKE_MATCH_3})
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months ${CMAKE_MATCH_2} _month)
math(EXPR _month "${_month} + 1" OUTPUT_FORMAT DECIMAL)
if(_month LESS 10)
  set(_month 0${_month})
endif()
set(QUORVA_RELEASE_DATE ${_year}-${_month}-${_day})
# AppStream wants a reverse domain name; it follows the home page's.
set(QUORVA_APPSTREAM_ID example.quorva.Quorva)
configure_file(${_pkg}/quorva.metainfo.xml.in ${_pkg_out}/${QUORVA_APPSTREAM_ID}.metainfo.xml @ONLY)

# Manual page and changelog, compressed as Debian wants them (-n: no time
# stamp, so the same sources give the same package).
find_program(QUORVA_HELP2MAN help2man)
set(_docs ${_pkg_out}/changelog.gz)
add_custom_command(OUTPUT ${_pkg_out}/changelog.gz
  COMMAND sh -c "gzip -9n <'${_pkg}/changelog' >'${_pkg_out}/changelog.gz'"
  DEPENDS ${_pkg}/changelog VERBATIM)
if(QUORVA_HELP2MAN)
  add_custom_command(OUTPUT ${_pkg_out}/quorva.1 ${_pkg_out}/quorva.1.gz
    COMMAND sh ${_pkg}/manpage.sh $<TARGET_FILE:quorva> ${_pkg}/quorva.h2m ${_pkg_out}/quorva.1
    COMMAND sh -c "gzip -9n <'${_pkg_out}/quorva.1' >'${_pkg_out}/quorva.1.gz'"
    DEPENDS quorva ${_pkg}/manpage.sh ${_pkg}/quorva.h2m VERBATIM)
  list(APPEND _docs ${_pkg_out}/quorva.1.gz)
  install(FILES ${_pkg_out}/quorva.1.gz DESTINATION share/man/man1 COMPONENT cli)
else()
  message(WARNING "help2man not found: no manual page (scripts/setup.sh installs it)")
endif()
add_custom_target(quorva_docs ALL DEPENDS ${_docs})

# cli
install(TARGETS quorva RUNTIME DESTINATION bin COMPONENT cli)
install(DIRECTORY examples/ DESTINATION share/doc/quorva/examples COMPONENT cli)
install(FILES ${_pkg}/watch-example.conf DESTINATION share/doc/quorva/examples COMPONENT cli)
install(FILES ${_pkg}/quorva.bash-completion DESTINATION share/bash-completion/completions
        RENAME quorva COMPONENT cli)
install(FILES ${_pkg}/quorva-watch@.service DESTINATION lib/systemd/system COMPONENT cli)
install(FILES ${_pkg}/quorva.sysusers DESTINATION lib/sysusers.d RENAME quorva.conf COMPONENT cli)

# desktop: the program of its own where it is one (else `quorva` is the
# desktop program too); nothing when the build leaves the desktop out.
set(QUORVA_COMPONENTS cli)
if(NOT DEFINED QUORVA_DESKTOP OR QUORVA_DESKTOP)
  list(APPEND QUORVA_COMPONENTS desktop)
  if(TARGET quorva-desktop)
    install(TARGETS quorva-desktop RUNTIME DESTINATION lib/quorva COMPONENT desktop)
  endif()
  install(FILES ${_pkg}/quorva.desktop DESTINATION share/applications COMPONENT desktop)
  install(FILES ${_pkg}/quorva.svg DESTINATION share/icons/hicolor/scalable/apps COMPONENT desktop)
  install(FILES ${_pkg_out}/${QUORVA_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT desktop)
endif()

# Each Debian package carries its own copyright and changelog.
foreach(_component ${QUORVA_COMPONENTS})
  set(_doc quorva)
  if(_component STREQUAL desktop)
    set(_doc quorva-desktop)
  endif()
  install(FILES ${_pkg}/copyright ${_pkg_out}/changelog.gz DESTINATION share/doc/${_doc} COMPONENT ${_component})
endforeach()

# The packages are made from these install rules.
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
