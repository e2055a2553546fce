# Makes a manual page from a program's --help, compressed as Debian wants it (gzip -9, no name or
# time stamp). Run with cmake -DPROGRAM=... -DNAME=... -DSUMMARY=... -DVERSION=... -DSEE=...
# -DOUTPUT=<page>.1.gz -P manpage.cmake.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help)
if(NOT help MATCHES "^Usage: ")
  message(FATAL_ERROR "${PROGRAM} --help printed no usage")
endif()
string(TOUPPER ${NAME} title)
# The help as it is printed, in roff: backslashes and minus signs escaped, no line starting a
# request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REPLACE "-" "\\-" summary "${SUMMARY}")
string(REPLACE "-" "\\-" see "${SEE}")
string(REPLACE "-" "\\-" name_text "${NAME}")
set(page ".TH ${title} 1 \"\" \"${NAME} ${VERSION}\" \"User Commands\"
.SH NAME
${name_text} \\- ${summary}
.SH DESCRIPTION
.nf
${help}.fi
.SH SEE ALSO
.BR ${see} (1)
")
get_filename_component(dir ${OUTPUT} DIRECTORY)
get_filename_component(name ${OUTPUT} NAME_WLE)
file(WRITE ${dir}/${name} "${page}")
execute_process(COMMAND gzip -9nf ${dir}/${name} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${dir}/${name} failed")
endif()
