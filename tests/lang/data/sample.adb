with Ada.Text_IO; -- a comment
procedure Demo is
   C : Character := 'x';
   N : Integer := 16#FF# + 1_000.5e+3;
   L : Natural := S'Range;
BEGIN
   Put_Line ("it is");
End Demo;
