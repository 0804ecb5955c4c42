"CREATE TABLE [dbo].[t] ([a)] int CHECK ([a)] > = 0 AND [a)] ! = 1 AND [b]]c] < > 2))
GO
