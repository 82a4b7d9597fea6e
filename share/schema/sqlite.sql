-- The delivered database, SQLite edition: every table the program reads or writes, and the
-- rows that must be present before the first start.
--
-- Keys are declared INT, not INTEGER: an INTEGER PRIMARY KEY becomes SQLite's row id and
-- quietly fills in a missing key, while the program always supplies its own keys and a
-- missing one must fail.
-- Dates are kept as ISO text ('yyyy-mm-dd' or 'yyyy-mm-dd hh:mm:ss'), so that comparing
-- them as text orders them in time. Booleans are stored as 0 and 1 and declared BOOLEAN so
-- that the driver reports them as Boolean fields. Short texts are VARCHAR and long texts
-- TEXT, which keeps the two kinds apart in the declared types.

create table catas (
  Id INT NOT NULL PRIMARY KEY,
  Code VARCHAR(255),
  Name VARCHAR(255),
  [Note] VARCHAR(255),
  SlfId INTEGER,
  PrtId INTEGER
);
create index ix_catas_slfid on catas (SlfId);
create index ix_catas_prtid on catas (PrtId);

create table archives (
  Id INT NOT NULL PRIMARY KEY,
  CataId INTEGER,
  Code VARCHAR(255),
  Name VARCHAR(255),
  Arcdept VARCHAR(255),
  Arcman VARCHAR(255),
  Arcdate DATETIME,
  Security VARCHAR(255),
  Copys INTEGER,
  Layplace VARCHAR(255),
  Filepath VARCHAR(1024),
  Filebyte INTEGER,
  Notes TEXT
);
create index ix_archives_cataid on archives (CataId);
create index ix_archives_code on archives (Code);

create table lends (
  Id INT NOT NULL PRIMARY KEY,
  ArcId INTEGER,
  Lendate DATETIME,
  Borrower VARCHAR(255),
  Bordept VARCHAR(255),
  Checkman VARCHAR(255),
  Headline DATETIME,
  Returndate DATETIME,
  Notes VARCHAR(255)
);
create index ix_lends_arcid on lends (ArcId);

create table operator (
  LoginId VARCHAR(255) NOT NULL PRIMARY KEY,
  [Password] VARCHAR(255),
  Name VARCHAR(255),
  Contact VARCHAR(255),
  [Note] VARCHAR(255),
  Rights TEXT
);

create table Company (
  Id INT NOT NULL PRIMARY KEY,
  CompanyName VARCHAR(255),
  Manager VARCHAR(255),
  Tel VARCHAR(255),
  Fax VARCHAR(255),
  Address VARCHAR(255),
  Zip VARCHAR(255),
  Profile TEXT,
  Updated BOOLEAN DEFAULT 0
);

create table keyvalue (
  KeyId INT NOT NULL PRIMARY KEY,
  Vint INTEGER,
  Vstr TEXT,
  Vfloat REAL,
  Vbool BOOLEAN
);

create table options (
  [Key] INT NOT NULL PRIMARY KEY,
  Label VARCHAR(255),
  List TEXT
);

create table report (
  Id INT NOT NULL PRIMARY KEY,
  GrpId INTEGER,
  Title VARCHAR(255),
  Fr3File BLOB
);

create table syscols (
  F02 INT NOT NULL PRIMARY KEY,
  F06 TEXT
);

-- One row only, and no key: its update statement has no condition.
create table [backup] (
  TypeId INTEGER,
  BackDir VARCHAR(1024)
);

-- Tables that only the clear-data command touches, by emptying them; no column of theirs is
-- read or written, so every column but the key allows null.
create table gz_accountemp (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  Account VARCHAR(255),
  [Note] VARCHAR(255)
);
create table certificates (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  Name VARCHAR(255),
  IssueDate DATETIME,
  [Note] VARCHAR(255)
);
create table tests (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  Name VARCHAR(255),
  TestDate DATETIME,
  Score REAL,
  [Note] VARCHAR(255)
);
create table Zpapply (
  Id INT NOT NULL PRIMARY KEY,
  JobId INTEGER,
  Name VARCHAR(255),
  ApplyDate DATETIME,
  [Note] VARCHAR(255)
);
create table Zpjobs (
  Id INT NOT NULL PRIMARY KEY,
  Name VARCHAR(255),
  Dept VARCHAR(255),
  [Note] VARCHAR(255)
);
create table Trains (
  Id INT NOT NULL PRIMARY KEY,
  Name VARCHAR(255),
  StartDate DATETIME,
  [Note] VARCHAR(255)
);
create table TrainCourses (
  Id INT NOT NULL PRIMARY KEY,
  TrainId INTEGER,
  Name VARCHAR(255),
  [Note] VARCHAR(255)
);
create table TrainOrgans (
  Id INT NOT NULL PRIMARY KEY,
  Name VARCHAR(255),
  Contact VARCHAR(255),
  [Note] VARCHAR(255)
);
create table contracts (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  StartDate DATETIME,
  EndDate DATETIME,
  [Note] VARCHAR(255)
);
create table postmove (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  MoveDate DATETIME,
  OldPost VARCHAR(255),
  NewPost VARCHAR(255),
  [Note] VARCHAR(255)
);
create table rewards (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  RewardDate DATETIME,
  Name VARCHAR(255),
  [Note] VARCHAR(255)
);
create table vacation (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  StartDate DATETIME,
  EndDate DATETIME,
  [Note] VARCHAR(255)
);
create table emptrials (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  StartDate DATETIME,
  EndDate DATETIME,
  [Note] VARCHAR(255)
);
create table empback (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  BackDate DATETIME,
  [Note] VARCHAR(255)
);
create table empjout (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  OutDate DATETIME,
  [Note] VARCHAR(255)
);
create table empjoin (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  JoinDate DATETIME,
  [Note] VARCHAR(255)
);
create table photo (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  Photo BLOB
);
create table empimages (
  Id INT NOT NULL PRIMARY KEY,
  EmpId INTEGER,
  Title VARCHAR(255),
  ImageData BLOB
);
create table employee (
  Id INT NOT NULL PRIMARY KEY,
  DeptId INTEGER,
  Code VARCHAR(255),
  Name VARCHAR(255),
  [Note] VARCHAR(255)
);
create table department (
  Id INT NOT NULL PRIMARY KEY,
  PrtId INTEGER,
  Code VARCHAR(255),
  Name VARCHAR(255),
  [Note] VARCHAR(255)
);

-- The superuser holds every right by its login id, so its rights text stays empty.
insert into operator (LoginId, [Password], Name, Contact, [Note], Rights) values ('sa', '', '', '', '', '');
insert into [backup] (TypeId, BackDir) values (0, '');
insert into Company (Id, CompanyName, Manager, Tel, Fax, Address, Zip, Profile, Updated)
  values (1, '', '', '', '', '', '', '', 0);
