#include "batch/BatchJob.h"
