# SPDX-License-Identifier: GPL-3.0-or-later
# Who the Debian package names as its maintainer: whoever builds and hands out
# the package, which the project cannot know. Debian's own tools (dch,
# debchange) take the packager from DEBFULLNAME and DEBEMAIL; without them
# the default is a placeholder of the same form, for a package built only
# for oneself.
#
# vistrel_default_maintainer(<out>)
#   "$DEBFULLNAME <$DEBEMAIL>", or $DEBEMAIL when it has the whole form, or
#   the placeholder VISTREL_PLACEHOLDER_MAINTAINER.
# vistrel_check_maintainer(<value>)
#   Fails unless the value reads "Name <user@host.domain>".

set(VISTREL_PLACEHOLDER_MAINTAINER "Vistrel packager <packager@example.org>")

function(vistrel_default_maintainer out)
  set(name "$ENV{DEBFULLNAME}")
  set(address "$ENV{DEBEMAIL}")
  if(address MATCHES "<")
    set(${out} "${address}" PARENT_SCOPE)
  elseif(NOT name STREQUAL "" AND NOT address STREQUAL "")
    set(${out} "${name} <${address}>" PARENT_SCOPE)
  else()
    set(${out} "${VISTREL_PLACEHOLDER_MAINTAINER}" PARENT_SCOPE)
  endif()
endfunction()

function(vistrel_check_maintainer value)
  # A name, then an address whose host has a dot: Debian's checker refuses
  # hosts such as "invalid" or "localhost".
  if(NOT value MATCHES "^[^<>@]*[^<>@ ] <[^<>@ ]+@[^<>@ .]+(\\.[^<>@ .]+)+>$"
     OR value MATCHES "@[^>]*\\.(invalid|localhost|localdomain)>$")
    message(FATAL_ERROR "VISTREL_PACKAGE_MAINTAINER is \"${value}\"; it must read "
                        "\"Your Name <you@your.host>\" with an address that reaches you, for example "
                        "-DVISTREL_PACKAGE_MAINTAINER=\"Jane Doe <jane@example.net>\"")
  endif()
endfunction()
