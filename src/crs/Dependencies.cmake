# Without errno from sqrt the compiler keeps it a single instruction and vectorises the row forms' loops;
# the results are the same bits (sqrt is correctly rounded either way).
target_compile_options(${target} PRIVATE -fno-math-errno)
