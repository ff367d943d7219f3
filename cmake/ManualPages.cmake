# The programs' manual pages, made at build time by help2man from what the built
# programs print for --help and --version, so that a page never differs from its
# program. data/man/<program>.h2m adds the NAME line and what --help does not say
# (files, related pages). Installed as PREFIX/share/man/man1/<program>.1.

include_guard(GLOBAL)

find_program(PRISMKEY_HELP2MAN help2man REQUIRED)
set(PRISMKEY_MANPAGE_DIR ${CMAKE_BINARY_DIR}/man)

function(prismkey_manual_page PROGRAM)
  set(page ${PRISMKEY_MANPAGE_DIR}/${PROGRAM}.1)
  set(additions ${PROJECT_SOURCE_DIR}/data/man/${PROGRAM}.h2m)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PRISMKEY_MANPAGE_DIR}
    COMMAND ${PRISMKEY_HELP2MAN} --section=1 --include=${additions} --output=${page}
      $<TARGET_FILE:${PROGRAM}>
    DEPENDS ${PROGRAM} ${additions}
    COMMENT "Making the manual page ${PROGRAM}(1) from ${PROGRAM} --help"
    VERBATIM)
  add_custom_target(${PROGRAM}-manual-page ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION share/man/man1)
endfunction()

prismkey_manual_page(PrismkeyFree)
prismkey_manual_page(keyboard-host)
