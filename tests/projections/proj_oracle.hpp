#include "support/proj_oracle.hpp"
