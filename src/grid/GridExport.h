#pragma once
// The grids' two exports: the shown columns in column order, titled by their captions, and
// every record of the grid's data set in its current order and filter, either into a
// workbook of text cells or into an HTML page; both then offer to open the file.

class TpzGridBase;

// Installs the two exports in every grid (their commands are disabled until then).
void InstallGridExporters();

void ExportGridToExcel(TpzGridBase &grid);
void ExportGridToHtml(TpzGridBase &grid);
