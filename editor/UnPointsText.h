// The editor's numbers in millimetres of the solid: conversion from stored coordinates (times the
// outline's scale / 100), number formatting, and the points table's text (parsing pasted rows,
// copying rows out, rounding to the storage grid).
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>
#include <vector>

// Millimetres of the solid per stored unit is scalePercent / 100 (a scale below 1 counts as 1).
double StoredToMm(double stored, int32_t scalePercent);
// The nearest stored coordinate.
int32_t MmToStored(double mm, int32_t scalePercent);

// At most three decimals (or fewer), trailing zeros dropped, "." whatever the locale ("12.5",
// "-3", "0").
std::string FormatMm(double mm, int decimals = 3);
// Decimals that tell apart two values one step (millimetres) apart: 0 to 3.
int DecimalsForStep(double step);

// One number of a cell: decimal point or decimal comma, optional sign and exponent, nothing else.
// False for an empty cell, a non-number or a value beyond the editor's reach (1e7 mm).
bool ParseMm(const std::string& text, double& value);

// A row of the points table; H is a path vertex's height, HasH whether the row gave one.
struct TPointRow {
    double X = 0, Y = 0, H = 0;
    bool HasH = false;
};

// Why rows were refused; Row counts from 1.
enum class TRowsError { None, NotANumber, EmptyCell, FieldCount, TooMany, TooFew };
struct TRowsProblem {
    TRowsError Error = TRowsError::None;
    int32_t Row = 0;
    std::string Text; // the offending cell or line
};

// Text with one point per line; X and Y (and with heights also H, which a line may leave out)
// separated by a tab, a semicolon, a comma or spaces. Where tabs or semicolons separate, a comma
// inside a number is its decimal comma. Blank lines are skipped. Problem names the first bad
// line; rows then holds the lines before it.
std::vector<TPointRow> ParsePointRows(const std::string& text, TRowsProblem& problem,
                                      bool heights = false);

// The rows as tab-separated text (X, Y and with heights H), one line per row, ending each with a
// line feed.
std::string PointRowsToText(const std::vector<TPointRow>& rows, bool heights = false);

// Rows rounded to stored coordinates (integers times the scale), with how far rounding moved the
// point that moved most (millimetres) and its row (from 1; 0 when nothing moved).
struct TRoundedRows {
    std::vector<Point2> Stored;
    double MaxShift = 0;
    int32_t WorstRow = 0;
};
TRoundedRows RoundToStorage(const std::vector<TPointRow>& rows, int32_t scalePercent);

// The finest scale an outline's refinement goes to (a storage step of 0.1 mm).
constexpr int32_t MinRefinedScale = 10;
// Rows stored at a scale that keeps them exact: the current scale when it holds every coordinate
// (within a millionth of a millimetre), else the coarsest one below it, down to MinRefinedScale,
// that does. A refined scale never moves a coordinate that lies on the current step and keeps
// every stored coordinate within reach (stored units from the origin), so the solid keeps its
// size. When no scale holds them, the one that moves them least, which stays the current one
// while that moves no point by more than RoundingNoteLimit.
struct TStoredRows : TRoundedRows {
    int32_t Scale = 100;
};
TStoredRows StoreExactly(const std::vector<TPointRow>& rows, int32_t currentScale, int32_t reach);

// Rounding that moves a point by more than this (millimetres) is pointed out.
constexpr double RoundingNoteLimit = 0.001;

// The rows' heights as a path keeps them at stored.Scale (floats of stored units). A height that
// moves by more than any point did makes its row the worst one of stored.
std::vector<float> StoreHeights(const std::vector<TPointRow>& rows, TStoredRows& stored);

// Checks the count limits: at least two rows, at most MaxOutlineVertices.
TRowsProblem CheckRowCount(int32_t rows);
