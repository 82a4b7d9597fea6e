-- The delivered database, SQL Server edition: every table the program reads or writes, and
-- the rows that must be present before the first start.
--
-- Texts are nvarchar so that Chinese text survives whatever the server's code page is; the
-- database's default collation is expected to be case-insensitive, as the program's column
-- names are written in varying case. Key and backup are reserved words and stay bracketed.
-- Keys are plain int without IDENTITY: the program always supplies its own keys.

create table catas (
  Id int NOT NULL PRIMARY KEY,
  Code nvarchar(255),
  Name nvarchar(255),
  Note nvarchar(255),
  SlfId int,
  PrtId int
);
create index ix_catas_slfid on catas (SlfId);
create index ix_catas_prtid on catas (PrtId);

create table archives (
  Id int NOT NULL PRIMARY KEY,
  CataId int,
  Code nvarchar(255),
  Name nvarchar(255),
  Arcdept nvarchar(255),
  Arcman nvarchar(255),
  Arcdate datetime,
  Security nvarchar(255),
  Copys int,
  Layplace nvarchar(255),
  Filepath nvarchar(1024),
  Filebyte int,
  Notes nvarchar(max)
);
create index ix_archives_cataid on archives (CataId);
create index ix_archives_code on archives (Code);

create table lends (
  Id int NOT NULL PRIMARY KEY,
  ArcId int,
  Lendate datetime,
  Borrower nvarchar(255),
  Bordept nvarchar(255),
  Checkman nvarchar(255),
  Headline datetime,
  Returndate datetime,
  Notes nvarchar(255)
);
create index ix_lends_arcid on lends (ArcId);

create table operator (
  LoginId nvarchar(255) NOT NULL PRIMARY KEY,
  Password nvarchar(255),
  Name nvarchar(255),
  Contact nvarchar(255),
  Note nvarchar(255),
  Rights nvarchar(max)
);

create table Company (
  Id int NOT NULL PRIMARY KEY,
  CompanyName nvarchar(255),
  Manager nvarchar(255),
  Tel nvarchar(255),
  Fax nvarchar(255),
  Address nvarchar(255),
  Zip nvarchar(255),
  Profile nvarchar(max),
  Updated bit DEFAULT 0
);

create table keyvalue (
  KeyId int NOT NULL PRIMARY KEY,
  Vint int,
  Vstr nvarchar(max),
  Vfloat float,
  Vbool bit
);

create table options (
  [Key] int NOT NULL PRIMARY KEY,
  Label nvarchar(255),
  List nvarchar(max)
);

create table report (
  Id int NOT NULL PRIMARY KEY,
  GrpId int,
  Title nvarchar(255),
  Fr3File varbinary(max)
);

create table syscols (
  F02 int NOT NULL PRIMARY KEY,
  F06 nvarchar(max)
);

-- One row only, and no key: its update statement has no condition.
create table [backup] (
  TypeId int,
  BackDir nvarchar(1024)
);

-- Tables that only the clear-data command touches, by emptying them; no column of theirs is
-- read or written, so every column but the key allows null.
create table gz_accountemp (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  Account nvarchar(255),
  Note nvarchar(255)
);
create table certificates (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  Name nvarchar(255),
  IssueDate datetime,
  Note nvarchar(255)
);
create table tests (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  Name nvarchar(255),
  TestDate datetime,
  Score float,
  Note nvarchar(255)
);
create table Zpapply (
  Id int NOT NULL PRIMARY KEY,
  JobId int,
  Name nvarchar(255),
  ApplyDate datetime,
  Note nvarchar(255)
);
create table Zpjobs (
  Id int NOT NULL PRIMARY KEY,
  Name nvarchar(255),
  Dept nvarchar(255),
  Note nvarchar(255)
);
create table Trains (
  Id int NOT NULL PRIMARY KEY,
  Name nvarchar(255),
  StartDate datetime,
  Note nvarchar(255)
);
create table TrainCourses (
  Id int NOT NULL PRIMARY KEY,
  TrainId int,
  Name nvarchar(255),
  Note nvarchar(255)
);
create table TrainOrgans (
  Id int NOT NULL PRIMARY KEY,
  Name nvarchar(255),
  Contact nvarchar(255),
  Note nvarchar(255)
);
create table contracts (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  StartDate datetime,
  EndDate datetime,
  Note nvarchar(255)
);
create table postmove (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  MoveDate datetime,
  OldPost nvarchar(255),
  NewPost nvarchar(255),
  Note nvarchar(255)
);
create table rewards (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  RewardDate datetime,
  Name nvarchar(255),
  Note nvarchar(255)
);
create table vacation (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  StartDate datetime,
  EndDate datetime,
  Note nvarchar(255)
);
create table emptrials (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  StartDate datetime,
  EndDate datetime,
  Note nvarchar(255)
);
create table empback (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  BackDate datetime,
  Note nvarchar(255)
);
create table empjout (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  OutDate datetime,
  Note nvarchar(255)
);
create table empjoin (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  JoinDate datetime,
  Note nvarchar(255)
);
create table photo (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  Photo varbinary(max)
);
create table empimages (
  Id int NOT NULL PRIMARY KEY,
  EmpId int,
  Title nvarchar(255),
  ImageData varbinary(max)
);
create table employee (
  Id int NOT NULL PRIMARY KEY,
  DeptId int,
  Code nvarchar(255),
  Name nvarchar(255),
  Note nvarchar(255)
);
create table department (
  Id int NOT NULL PRIMARY KEY,
  PrtId int,
  Code nvarchar(255),
  Name nvarchar(255),
  Note nvarchar(255)
);

-- The superuser holds every right by its login id, so its rights text stays empty.
insert into operator (LoginId, Password, Name, Contact, Note, Rights) values (N'sa', N'', N'', N'', N'', N'');
insert into [backup] (TypeId, BackDir) values (0, N'');
insert into Company (Id, CompanyName, Manager, Tel, Fax, Address, Zip, Profile, Updated)
  values (1, N'', N'', N'', N'', N'', N'', N'', 0);
