# Writes a help2man include file whose COMMANDS section holds the --help of every command (and of the
# commands below them) of a program built with subcommands, so its man page documents every option and
# not only the top-level usage.
#   cmake -DPROGRAM=path/to/program -DOUTPUT=file.h2m -P CommandHelpSection.cmake

# The names listed under "Subcommands:" in a help text.
function(list_subcommands help_text out_var)
    set(names)
    set(in_list FALSE)
    string(REPLACE "\n" ";" lines "${help_text}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^Subcommands:")
            set(in_list TRUE)
        elseif(in_list AND line MATCHES "^  ([a-z][a-z0-9-]*)")
            list(APPEND names ${CMAKE_MATCH_1})
        elseif(in_list AND NOT line MATCHES "^ ")
            set(in_list FALSE)
        endif()
    endforeach()
    set(${out_var} ${names} PARENT_SCOPE)
endfunction()

# Help text as literal roff: backslashes doubled, lines starting with a dot or quote kept from being requests.
function(roff_literal text out_var)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

function(append_command_help words)
    execute_process(COMMAND ${PROGRAM} ${words} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${words} --help failed: ${status}")
    endif()
    string(REPLACE ";" " " title "${words}")
    roff_literal("${help}" literal)
    file(APPEND ${OUTPUT} ".SS ${title}\n.nf\n${literal}.fi\n")
    list_subcommands("${help}" subcommands)
    foreach(name IN LISTS subcommands)
        append_command_help("${words};${name}")
    endforeach()
endfunction()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE top_help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
file(WRITE ${OUTPUT} "[COMMANDS]\n")
list_subcommands("${top_help}" commands)
foreach(name IN LISTS commands)
    append_command_help(${name})
endforeach()
