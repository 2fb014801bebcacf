C     comment line
      PROGRAM HELLO
      WRITE (*,*) 'It''s here'
      x = y .EQ. z
      if (x) call foo
*
! bang comment
