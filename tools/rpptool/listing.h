// rpptool listing: the question listing generated from the questions table
// into a saved-report file, without a display.
#pragma once

#include <QStringList>

// args: [--alias NAME | --dir PATH] [--quiet] OUT.rpp. Unless quiet, each
// text the listing's boxes cut is named on standard output. Returns the exit status; a
// wrong command line gives -1 (the caller shows the usage).
int RunListing(int argc, char** argv, const QStringList& args);
