package app;

import java.io.InputStream;
import java.nio.charset.StandardCharsets;

public class Main {
    public static void main(String[] args) throws Exception {
        try (InputStream in = Main.class.getResourceAsStream("/app/greeting.txt")) {
            System.out.println("Hello from the Maven build: " + new String(in.readAllBytes(), StandardCharsets.UTF_8).trim());
        }
    }
}
