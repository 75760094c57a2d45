# Run by CPack once the files are staged (CPACK_PRE_BUILD_SCRIPTS): the
# Depends of the programs and the view library, as dpkg-shlibdeps finds
# them. CPack's own shlibdeps is off because, seeing a library under
# usr/lib, it would also add maintainer scripts that call ldconfig; the
# view library is private to the program (lib/mirovan), where ldconfig
# never looks.
set(stage ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB elf_files ${stage}/usr/bin/* ${stage}/usr/lib/mirovan/*.so)
set(work ${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps)
file(REMOVE_RECURSE ${work})
file(WRITE ${work}/debian/control "")
execute_process(COMMAND dpkg-shlibdeps -O -l${stage}/usr/lib/mirovan ${elf_files}
  WORKING_DIRECTORY ${work}
  OUTPUT_VARIABLE shlibs OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "^shlibs:Depends=" "" shlibs "${shlibs}")
if(shlibs STREQUAL "")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies in ${elf_files}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${shlibs}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
