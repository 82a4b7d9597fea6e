#pragma once
// The report engine's windows: the preview and the designer, and printing on a printer.

class QPrinter;
class TReportEngine;

// Lets every report engine open the preview and the designer; the program calls it once at
// start-up, tests of windows that preview or design call it before they do.
void InstallReportWindows();

// Prints the engine's pages (prepared first when they are not) on the printer, in the page
// range the printer was given.
void PrintReport(TReportEngine &engine, QPrinter &printer);
