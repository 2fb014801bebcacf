program Demo;
{ brace comment }
(* star
   comment *) begin
x := 'it''s';
Begin BEGIN end
#if 0
dead stuff
#endif
y := 42 + 3.5;
