# The program version is part of every run's fingerprint.
target_compile_definitions(${target} PRIVATE VORTANE_VERSION="${PROJECT_VERSION}")
