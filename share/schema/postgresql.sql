-- The delivered database, PostgreSQL edition: every table the program reads or writes, and
-- the rows that must be present before the first start.
--
-- Names are unquoted, so they fold to lower case; the program's statements are rewritten to
-- the same lower-case names, and result columns are matched without regard to letter case.
-- None of the names is a reserved word here (operator, key, password, backup and options are
-- at most non-reserved keywords), so none needs quoting.
-- Keys are plain integers without sequences: the program always supplies its own keys.

create table catas (
  Id integer NOT NULL PRIMARY KEY,
  Code varchar(255),
  Name varchar(255),
  Note varchar(255),
  SlfId integer,
  PrtId integer
);
create index ix_catas_slfid on catas (SlfId);
create index ix_catas_prtid on catas (PrtId);

create table archives (
  Id integer NOT NULL PRIMARY KEY,
  CataId integer,
  Code varchar(255),
  Name varchar(255),
  Arcdept varchar(255),
  Arcman varchar(255),
  Arcdate timestamp,
  Security varchar(255),
  Copys integer,
  Layplace varchar(255),
  Filepath varchar(1024),
  Filebyte integer,
  Notes text
);
create index ix_archives_cataid on archives (CataId);
create index ix_archives_code on archives (Code);

create table lends (
  Id integer NOT NULL PRIMARY KEY,
  ArcId integer,
  Lendate timestamp,
  Borrower varchar(255),
  Bordept varchar(255),
  Checkman varchar(255),
  Headline timestamp,
  Returndate timestamp,
  Notes varchar(255)
);
create index ix_lends_arcid on lends (ArcId);

create table operator (
  LoginId varchar(255) NOT NULL PRIMARY KEY,
  Password varchar(255),
  Name varchar(255),
  Contact varchar(255),
  Note varchar(255),
  Rights text
);

create table Company (
  Id integer NOT NULL PRIMARY KEY,
  CompanyName varchar(255),
  Manager varchar(255),
  Tel varchar(255),
  Fax varchar(255),
  Address varchar(255),
  Zip varchar(255),
  Profile text,
  Updated boolean DEFAULT false
);

create table keyvalue (
  KeyId integer NOT NULL PRIMARY KEY,
  Vint integer,
  Vstr text,
  Vfloat double precision,
  Vbool boolean
);

create table options (
  Key integer NOT NULL PRIMARY KEY,
  Label varchar(255),
  List text
);

create table report (
  Id integer NOT NULL PRIMARY KEY,
  GrpId integer,
  Title varchar(255),
  Fr3File bytea
);

create table syscols (
  F02 integer NOT NULL PRIMARY KEY,
  F06 text
);

-- One row only, and no key: its update statement has no condition.
create table backup (
  TypeId integer,
  BackDir varchar(1024)
);

-- Tables that only the clear-data command touches, by emptying them; no column of theirs is
-- read or written, so every column but the key allows null.
create table gz_accountemp (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  Account varchar(255),
  Note varchar(255)
);
create table certificates (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  Name varchar(255),
  IssueDate timestamp,
  Note varchar(255)
);
create table tests (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  Name varchar(255),
  TestDate timestamp,
  Score double precision,
  Note varchar(255)
);
create table Zpapply (
  Id integer NOT NULL PRIMARY KEY,
  JobId integer,
  Name varchar(255),
  ApplyDate timestamp,
  Note varchar(255)
);
create table Zpjobs (
  Id integer NOT NULL PRIMARY KEY,
  Name varchar(255),
  Dept varchar(255),
  Note varchar(255)
);
create table Trains (
  Id integer NOT NULL PRIMARY KEY,
  Name varchar(255),
  StartDate timestamp,
  Note varchar(255)
);
create table TrainCourses (
  Id integer NOT NULL PRIMARY KEY,
  TrainId integer,
  Name varchar(255),
  Note varchar(255)
);
create table TrainOrgans (
  Id integer NOT NULL PRIMARY KEY,
  Name varchar(255),
  Contact varchar(255),
  Note varchar(255)
);
create table contracts (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  StartDate timestamp,
  EndDate timestamp,
  Note varchar(255)
);
create table postmove (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  MoveDate timestamp,
  OldPost varchar(255),
  NewPost varchar(255),
  Note varchar(255)
);
create table rewards (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  RewardDate timestamp,
  Name varchar(255),
  Note varchar(255)
);
create table vacation (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  StartDate timestamp,
  EndDate timestamp,
  Note varchar(255)
);
create table emptrials (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  StartDate timestamp,
  EndDate timestamp,
  Note varchar(255)
);
create table empback (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  BackDate timestamp,
  Note varchar(255)
);
create table empjout (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  OutDate timestamp,
  Note varchar(255)
);
create table empjoin (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  JoinDate timestamp,
  Note varchar(255)
);
create table photo (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  Photo bytea
);
create table empimages (
  Id integer NOT NULL PRIMARY KEY,
  EmpId integer,
  Title varchar(255),
  ImageData bytea
);
create table employee (
  Id integer NOT NULL PRIMARY KEY,
  DeptId integer,
  Code varchar(255),
  Name varchar(255),
  Note varchar(255)
);
create table department (
  Id integer NOT NULL PRIMARY KEY,
  PrtId integer,
  Code varchar(255),
  Name varchar(255),
  Note varchar(255)
);

-- The superuser holds every right by its login id, so its rights text stays empty.
insert into operator (LoginId, Password, Name, Contact, Note, Rights) values ('sa', '', '', '', '', '');
insert into backup (TypeId, BackDir) values (0, '');
insert into Company (Id, CompanyName, Manager, Tel, Fax, Address, Zip, Profile, Updated)
  values (1, '', '', '', '', '', '', '', false);
