# The manual pages and the --help texts come from the same sources,
# docs/man/<language>/<name>.1.md, rendered by tools/manpage.
set(MIROVAN_MAN_SOURCES ${PROJECT_SOURCE_DIR}/docs/man)
set(MIROVAN_MAN_LANGUAGES ja en)
# The headings --help shows (the synopsis first; the usage shown after a
# wrong command line is the synopsis alone).
set(MIROVAN_HELP_HEADINGS_ja 書式 オプション)
set(MIROVAN_HELP_HEADINGS_en SYNOPSIS OPTIONS)

# mirovan_help(TARGET NAME): <NAME>.help.<lang>.inc and <NAME>.usage.<lang>.inc,
# each a C++ string literal, on TARGET's include path.
function(mirovan_help target name)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/generated/help)
  set(outputs "")
  foreach(lang IN LISTS MIROVAN_MAN_LANGUAGES)
    set(source ${MIROVAN_MAN_SOURCES}/${lang}/${name}.1.md)
    set(headings ${MIROVAN_HELP_HEADINGS_${lang}})
    list(GET headings 0 synopsis)
    set(help ${dir}/${name}.help.${lang}.inc)
    set(usage ${dir}/${name}.usage.${lang}.inc)
    add_custom_command(OUTPUT ${help} ${usage}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND mirovan-manpage help ${source} ${help} ${headings}
      COMMAND mirovan-manpage help ${source} ${usage} ${synopsis}
      DEPENDS mirovan-manpage ${source}
      VERBATIM)
    list(APPEND outputs ${help} ${usage})
  endforeach()
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PRIVATE ${dir})
endfunction()

# mirovan_manual_pages(NAME...): the pages in every language, compressed
# as Debian wants them and installed (Japanese under man/ja).
function(mirovan_manual_pages)
  set(outputs "")
  foreach(name IN LISTS ARGN)
    foreach(lang IN LISTS MIROVAN_MAN_LANGUAGES)
      if(lang STREQUAL en)
        set(folder man/man1)
      else()
        set(folder man/${lang}/man1)
      endif()
      set(page ${CMAKE_CURRENT_BINARY_DIR}/${folder}/${name}.1)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/${folder}
        COMMAND mirovan-manpage roff ${MIROVAN_MAN_SOURCES}/${lang}/${name}.1.md ${page}
                ${PROJECT_VERSION} ${MIROVAN_RELEASE_DATE}
        COMMAND gzip -9nf ${page}
        DEPENDS mirovan-manpage ${MIROVAN_MAN_SOURCES}/${lang}/${name}.1.md
        VERBATIM)
      install(FILES ${page}.gz DESTINATION share/${folder})
      list(APPEND outputs ${page}.gz)
    endforeach()
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${outputs})
endfunction()
