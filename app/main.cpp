// tnews: the Tavi's Newspapers program. The executable is the application library plus this.
#include "app.h"

wxIMPLEMENT_APP(tnews::TnewsApp);
