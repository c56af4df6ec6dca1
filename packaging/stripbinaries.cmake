# Run by CPack on the staged files before it packs them: strips the executables as Debian's dh_strip
# does, symbols and the compiler's .comment and .note sections alike.
file(GLOB executables "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(executable IN LISTS executables)
  execute_process(COMMAND "${CPACK_VELTARA_STRIP}" --remove-section=.comment --remove-section=.note
                          --strip-unneeded "${executable}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
