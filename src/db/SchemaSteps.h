#pragma once

class Database;

// The upgrade steps of released versions, each frozen as it was released:
// step N brings a shop of version N-1 to version N. Schema runs those a
// shop's stored version lacks, then holds the result against the
// catalogue of the current version.
namespace SchemaSteps {

// Runs the steps after version `from`, in order, in the caller's
// transaction. Version 1 (from 0) fills in the tables a shop lacks, in
// their version-1 shape; it runs for any older shop that lacks a table.
void run(Database &database, int from);

// Version 1: the tables and indexes as the first release made them;
// existing tables are left as they are. Tests build a version-1 shop
// with it.
void createVersion1(Database &database);

} // namespace SchemaSteps
