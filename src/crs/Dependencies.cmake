# The row forms' loops vectorise only when sqrt sets no errno and comparisons and divisions may run for
# every lane: both options leave every result's bits as they are (no reassociation, no contraction).
target_compile_options(${target} PRIVATE -fno-math-errno -fno-trapping-math)
